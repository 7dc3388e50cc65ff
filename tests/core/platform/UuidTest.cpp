#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/Uuid.hpp"

namespace kelvane {
namespace {

TEST(UuidTest, CanonicalUpperCaseVersionFourText) {
    for (int round = 0; round < 200; ++round) {
        const std::string text = Uuid::randomText();
        ASSERT_EQ(text.size(), 36U) << text;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i == 8 || i == 13 || i == 18 || i == 23) {
                EXPECT_EQ(text[i], '-') << text;
            } else {
                EXPECT_NE(std::string("0123456789ABCDEF").find(text[i]), std::string::npos) << text;
            }
        }
        EXPECT_EQ(text[14], '4') << text;
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
    }
}

TEST(UuidTest, SuccessiveValuesDiffer) {
    std::set<std::string> seen;
    for (int round = 0; round < 1000; ++round) seen.insert(Uuid::randomText());
    EXPECT_EQ(seen.size(), 1000U);
}

}  // namespace
}  // namespace kelvane
