#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/TimeZoneSetup.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

std::string timeZoneVariable() {
    const char* value = std::getenv("TZ");
    return value == nullptr ? "<unset>" : value;
}

TEST(TimeZoneSetup, PinsTheSystemZoneOnlyWhenNoneIsSet) {
    testing::ScopedEnvironment environment;

    environment.unset("TZ");
    EXPECT_TRUE(TimeZoneSetup::ensureTimeZoneVariable());
    EXPECT_EQ(timeZoneVariable(), ":/etc/localtime");
    // Once set, it stays as it is.
    EXPECT_FALSE(TimeZoneSetup::ensureTimeZoneVariable());

    environment.set("TZ", "Asia/Tokyo");
    EXPECT_FALSE(TimeZoneSetup::ensureTimeZoneVariable());
    EXPECT_EQ(timeZoneVariable(), "Asia/Tokyo");

    // An empty TZ is a choice too (UTC for the C library): left alone.
    environment.set("TZ", "");
    EXPECT_FALSE(TimeZoneSetup::ensureTimeZoneVariable());
    EXPECT_EQ(timeZoneVariable(), "");
    ::tzset();
}

}  // namespace
}  // namespace kelvane
