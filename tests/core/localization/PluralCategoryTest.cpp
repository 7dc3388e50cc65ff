#include <gtest/gtest.h>

#include <string_view>
#include <thread>
#include <vector>

#include "localization/PluralCategory.hpp"

namespace kelvane {
namespace {

TEST(PluralCategoryTest, FollowsEachLanguagesRulesForWholeNumbers) {
    struct Case {
        const char* locale;
        std::int64_t count;
        PluralCategory expected;
    };
    using enum PluralCategoryCase;
    const Case cases[] = {
        // Russian looks at the last one and two digits.
        {"ru", 1, one},
        {"ru", 21, one},
        {"ru", 101, one},
        {"ru", 2, few},
        {"ru", 24, few},
        {"ru", 5, many},
        {"ru", 11, many},
        {"ru", 12, many},
        {"ru", 111, many},
        {"ru", 0, many},
        // Arabic has all six.
        {"ar", 0, zero},
        {"ar", 1, one},
        {"ar", 2, two},
        {"ar", 3, few},
        {"ar", 10, few},
        {"ar", 103, few},
        {"ar", 11, many},
        {"ar", 99, many},
        {"ar", 100, other},
        {"ar", 102, other},
        // Polish 12-14 are not "few" though 2-4 and 22-24 are.
        {"pl", 2, few},
        {"pl", 13, many},
        {"pl", 22, few},
        {"pl", 25, many},
        // French and Brazilian Portuguese count zero as one; Portugal does not.
        {"fr", 0, one},
        {"fr", 1'000'000, many},
        {"pt-BR", 0, one},
        {"pt-PT", 0, other},
        {"pt-PT", 1, one},
        {"de", 1, one},
        {"de", 0, other},
        {"ja", 1, other},
        {"zh-Hant", 1, other},
        // Beyond 32 bits.
        {"ru", 5'000'000'001, one},
        // A tag nobody has rules for: everything is "other".
        {"qaa", 1, other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PluralCategory::of(c.count, c.locale).rawValue(), c.expected.rawValue())
            << c.count << " in " << c.locale;
    }
}

TEST(PluralCategoryTest, SafeFromManyThreadsAtOnce) {
    // The categories of 0 to 9 in two languages no other test here asks for, so the
    // threads race to build their rules.
    const std::vector<std::string_view> ukrainian{"many", "one",  "few",  "few",  "few",
                                                  "many", "many", "many", "many", "many"};
    const std::vector<std::string_view> slovak{"other", "one",   "few",   "few",   "few",
                                               "other", "other", "other", "other", "other"};
    std::vector<std::vector<std::string_view>> results(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&results, i] {
            for (int round = 0; round < 10; ++round) {
                results[i].push_back(
                    PluralCategory::of(round, i % 2 == 0 ? "uk" : "sk").rawValue());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], i % 2 == 0 ? ukrainian : slovak) << "thread " << i;
    }
}

}  // namespace
}  // namespace kelvane
