#include "platform/LzfseStateTable.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/LzfseError.hpp"

namespace kelvane {
namespace {

TEST(LzfseStateTableTest, AssignsStatesInRunsWithTheDocumentedTransitions) {
    // N = 64: symbol 0 gets states 0..2 with f = 3, so k = 5 and only the first state reads
    // 5 bits; symbol 2 owns the remaining 61 states.
    const std::vector<std::uint16_t> frequencies{3, 0, 61};
    const LzfseStateTable table(frequencies, 64);
    ASSERT_EQ(table.stateCount(), 64U);
    const std::pair<int, int> expected[] = {{5, 32}, {4, 0}, {4, 16}};
    for (std::size_t state = 0; state < 3; ++state) {
        EXPECT_EQ(table.entry(state).symbol, 0);
        EXPECT_EQ(table.entry(state).bitCount, expected[state].first);
        EXPECT_EQ(table.entry(state).nextStateBase, expected[state].second);
    }
    EXPECT_EQ(table.entry(3).symbol, 2);
    EXPECT_EQ(table.entry(63).symbol, 2);
}

TEST(LzfseStateTableTest, GivesASymbolOwningEveryStateAFixedState) {
    const std::vector<std::uint16_t> frequencies{0, 256};
    const LzfseStateTable table(frequencies, 256);
    for (std::size_t state = 0; state < 256; ++state) {
        EXPECT_EQ(table.entry(state).symbol, 1);
        EXPECT_EQ(table.entry(state).bitCount, 0);
        EXPECT_EQ(table.entry(state).nextStateBase, state);
    }
}

// Whatever the frequencies, the next-state ranges of one symbol's states tile all states
// exactly once, which is what makes every transition land inside the table.
TEST(LzfseStateTableTest, NextStateRangesOfEachSymbolTileAllStates) {
    const std::vector<std::pair<std::size_t, std::vector<std::uint16_t>>> tables = {
        {64, {37, 5, 4, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {64, {1, 63}},
        {256, {100, 3, 7, 33, 64, 49}},
        {1024, {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 416}},
        {1024, {1023, 1}},
    };
    for (const auto& [stateCount, frequencies] : tables) {
        SCOPED_TRACE(stateCount);
        const LzfseStateTable table(frequencies, stateCount);
        for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
            std::vector<std::pair<std::size_t, std::size_t>> ranges;
            for (std::size_t state = 0; state < stateCount; ++state) {
                const LzfseStateTable::Entry& entry = table.entry(state);
                if (entry.symbol == symbol) {
                    ranges.emplace_back(entry.nextStateBase,
                                        entry.nextStateBase + (std::size_t{1} << entry.bitCount));
                }
            }
            ASSERT_EQ(ranges.size(), frequencies[symbol]);
            std::sort(ranges.begin(), ranges.end());
            std::size_t covered = 0;
            for (const auto& [begin, end] : ranges) {
                EXPECT_EQ(begin, covered);
                covered = end;
            }
            if (!ranges.empty()) {
                EXPECT_EQ(covered, stateCount);
            }
        }
    }
}

TEST(LzfseStateTableTest, RejectsFrequenciesThatDoNotCoverTheStatesExactly) {
    const std::vector<std::uint16_t> tooFew{30, 33};
    const std::vector<std::uint16_t> tooMany{30, 35};
    const std::vector<std::uint16_t> none(20, 0);
    EXPECT_THROW(LzfseStateTable(tooFew, 64), LzfseError);
    EXPECT_THROW(LzfseStateTable(tooMany, 64), LzfseError);
    EXPECT_THROW(LzfseStateTable(none, 64), LzfseError);
}

}  // namespace
}  // namespace kelvane
