#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/LocaleNumberFormat.hpp"

namespace kelvane {
namespace {

TEST(LocaleNumberFormatTest, GroupsDigitsTheWayTheLocaleWritesThem) {
    struct Case {
        std::int64_t value;
        const char* locale;
        const char* expected;
    };
    const Case cases[] = {
        {12000, "en", "12,000"},
        {12000, "de", "12.000"},
        {12000, "tr", "12.000"},
        {1234567, "en", "1,234,567"},
        {1234567, "pt-BR", "1.234.567"},
        {1234567, "hi", "12,34,567"},  // Indian grouping
        {999, "en", "999"},
        {0, "de", "0"},
        {-45000, "en", "-45,000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LocaleNumberFormat::groupedDecimal(c.value, c.locale), c.expected)
            << c.value << " in " << c.locale;
    }
}

TEST(LocaleNumberFormatTest, SafeFromManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<std::string> results(8);
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&results, i] {
            for (int round = 0; round < 200; ++round) {
                results[i] = LocaleNumberFormat::groupedDecimal(1000000, i % 2 == 0 ? "en" : "da");
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], i % 2 == 0 ? "1,000,000" : "1.000.000");
    }
}

}  // namespace
}  // namespace kelvane
