#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "engine/FastTimestampParser.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

using namespace std::chrono;

// Fields read as local time in a fixed zone, so results do not depend on the machine.
class FastTimestampParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.set("TZ", "Europe/Berlin");
        ::tzset();
    }
    void TearDown() override { ::tzset(); }

    static ArchiveTimestamp utc(int year, unsigned month, unsigned day, int hour, int minute,
                                int second) {
        return ArchiveTimestamp(
            sys_days(year_month_day(std::chrono::year(year), std::chrono::month(month),
                                    std::chrono::day(day))) +
            hours(hour) + minutes(minute) + seconds(second));
    }

private:
    testing::ScopedEnvironment environment_;
};

TEST_F(FastTimestampParserTest, ReadsLocalTimeWithTheZoneDecidingDaylightSaving) {
    // Berlin is UTC+1 in winter and UTC+2 in summer.
    EXPECT_EQ(FastTimestampParser::parse("2024-01-31 12:34:56"), utc(2024, 1, 31, 11, 34, 56));
    EXPECT_EQ(FastTimestampParser::parse("2024-07-01 12:00:00"), utc(2024, 7, 1, 10, 0, 0));
}

TEST_F(FastTimestampParserTest, HonoursAFourDigitOffsetAndIgnoresFractions) {
    EXPECT_EQ(FastTimestampParser::parse("2016-04-26 13:20:04 +0200"), utc(2016, 4, 26, 11, 20, 4));
    EXPECT_EQ(FastTimestampParser::parse("2016-04-26 13:20:04 -0130"), utc(2016, 4, 26, 14, 50, 4));
    EXPECT_EQ(FastTimestampParser::parse("2024-01-31 12:34:56 +0000"),
              utc(2024, 1, 31, 12, 34, 56));
    EXPECT_EQ(FastTimestampParser::parse("2024-01-31 12:34:56.1234567"),
              utc(2024, 1, 31, 11, 34, 56));
    // An offset written with a colon is no offset: local time.
    EXPECT_EQ(FastTimestampParser::parse("2024-01-31 12:34:56 +01:00"),
              utc(2024, 1, 31, 11, 34, 56));
    // Too few bytes after the sign: local time as well.
    EXPECT_EQ(FastTimestampParser::parse("2024-01-31 12:34:56 +010"), utc(2024, 1, 31, 11, 34, 56));
}

TEST_F(FastTimestampParserTest, SeparatorsAreNotExaminedAndLeadingSpacesAreSkipped) {
    EXPECT_EQ(FastTimestampParser::parse("2024/01/31T12.34.56"), utc(2024, 1, 31, 11, 34, 56));
    EXPECT_EQ(FastTimestampParser::parse("   2024-01-31 12:34:56"), utc(2024, 1, 31, 11, 34, 56));
}

TEST_F(FastTimestampParserTest, CarriesDaysPastTheMonthsEndAndAcceptsALeapSecond) {
    EXPECT_EQ(FastTimestampParser::parse("2023-02-31 00:00:00 +0000"), utc(2023, 3, 3, 0, 0, 0));
    EXPECT_EQ(FastTimestampParser::parse("2016-12-31 23:59:60 +0000"), utc(2017, 1, 1, 0, 0, 0));
}

TEST_F(FastTimestampParserTest, RejectsWhatIsNotADateItCanRead) {
    for (const std::string text : {
             "1969-12-31 23:59:59",   // before 1970
             "2024-13-01 00:00:00",   // month 13
             "2024-00-10 00:00:00",   // month 0
             "2024-01-00 00:00:00",   // day 0
             "2024-01-32 00:00:00",   // day 32
             "2024-01-31 24:00:00",   // hour 24
             "2024-01-31 12:60:00",   // minute 60
             "2024-01-31 12:00:61",   // second 61
             "2024-01-31 12:34:5",    // 18 bytes
             "  2024-01-31 12:34:5",  // 18 bytes after the spaces
             "2024-1-31 12:34:56 x",  // a separator where a digit belongs
             "20x4-01-31 12:34:56",
             "",
         }) {
        EXPECT_EQ(FastTimestampParser::parse(text), std::nullopt) << text;
    }
}

TEST_F(FastTimestampParserTest, MinuteCacheAgreesWithTheFullConversion) {
    // Runs of the same minute, minute changes, and the hours around Berlin's daylight-saving
    // changes (a missing hour in March, a repeated one in October), in order and shuffled.
    std::vector<std::string> texts;
    for (const std::string day : {"2024-03-31", "2024-10-27", "2024-01-31"}) {
        for (int hour = 0; hour < 4; ++hour) {
            for (const int minute : {0, 1, 30, 59}) {
                for (const int second : {0, 1, 59, 60}) {
                    char text[32];
                    std::snprintf(text, sizeof text, "%s %02d:%02d:%02d", day.c_str(), hour, minute,
                                  second);
                    texts.emplace_back(text);
                }
            }
        }
    }
    texts.emplace_back("2024-01-31 12:34:56 +0200");  // offsets bypass the cache
    texts.emplace_back("2024-01-31 12:34:56");
    LocalMinuteCache cache;
    for (const std::string& text : texts) {
        EXPECT_EQ(FastTimestampParser::parse(text, cache), FastTimestampParser::parse(text))
            << text;
    }
    for (std::size_t i = 0; i < texts.size(); i += 7) {
        const std::string& text = texts[(i * 31) % texts.size()];
        EXPECT_EQ(FastTimestampParser::parse(text, cache), FastTimestampParser::parse(text))
            << text;
    }
    EXPECT_EQ(FastTimestampParser::parse("1969-12-31 23:59:59", cache), std::nullopt);
}

}  // namespace
}  // namespace kelvane
