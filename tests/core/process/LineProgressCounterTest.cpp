// Progress read from tools that print one line per processed entry.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "process/LineProgressCounter.hpp"

namespace kelvane {
namespace {

TEST(LineProgressCounterTest, CountsNonBlankLinesAndNeverReachesOne) {
    LineProgressCounter counter(3);
    const auto report = counter.consume("a.txt\nb.txt\r\nc.txt\n  d.txt \n\te.txt\t");
    ASSERT_TRUE(report.has_value());
    EXPECT_DOUBLE_EQ(report->fraction, 0.99);
    EXPECT_EQ(report->detail, "e.txt");
    EXPECT_EQ(counter.completed(), 3);
}

TEST(LineProgressCounterTest, ReportsTheShareAndTheLastTrimmedLine) {
    LineProgressCounter counter(4);
    const auto first = counter.consume("  docs/a.txt  (12 B)... OK.\n");
    ASSERT_TRUE(first.has_value());
    EXPECT_DOUBLE_EQ(first->fraction, 0.25);
    EXPECT_EQ(first->detail, "docs/a.txt  (12 B)... OK.");
    const auto second = counter.consume("b\n");
    ASSERT_TRUE(second.has_value());
    EXPECT_DOUBLE_EQ(second->fraction, 0.5);
    EXPECT_EQ(second->detail, "b");
}

TEST(LineProgressCounterTest, BlankChunksChangeNothing) {
    LineProgressCounter counter(10);
    for (const char* chunk : {"", "\n", " \t \r\n\n", "\xC2\xA0\xE3\x80\x80\n",
                              "\v\f\xC2\x85\xE2\x80\xA8\xE2\x80\xA9"}) {
        EXPECT_EQ(counter.consume(chunk), std::nullopt) << chunk;
    }
    EXPECT_EQ(counter.completed(), 0);
}

TEST(LineProgressCounterTest, SplitsAtEveryKindOfNewline) {
    LineProgressCounter counter(100);
    const auto report = counter.consume(
        "a\vb\fc\rd\xC2\x85"
        "e\xE2\x80\xA8"
        "f\xE2\x80\xA9g");
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(counter.completed(), 7);
    EXPECT_EQ(report->detail, "g");
}

TEST(LineProgressCounterTest, TotalBelowOneCountsAsOne) {
    LineProgressCounter counter(0);
    const auto report = counter.consume("only\n");
    ASSERT_TRUE(report.has_value());
    EXPECT_DOUBLE_EQ(report->fraction, 0.99);
}

// Both output streams of one run report at once.
TEST(LineProgressCounterTest, CountsChunksFromTwoThreadsExactly) {
    LineProgressCounter counter(1'000'000);
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&counter] {
            for (int i = 0; i < 5000; ++i) (void)counter.consume("x\ny\n");
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter.completed(), 20000);
}

}  // namespace
}  // namespace kelvane
