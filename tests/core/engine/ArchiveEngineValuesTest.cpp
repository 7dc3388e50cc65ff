// The small readers the listers share: JSON integers, file sizes and 7-Zip percentages.
#include <gtest/gtest.h>
#include <simdjson.h>

#include <filesystem>
#include <optional>
#include <string>

#include "engine/ArchiveEngineService.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

TEST(ArchiveEngineInt64ValueTest, ReadsNumbersAndStrictDecimalTexts) {
    const std::string json = R"({
        "int": 42, "negative": -7, "max": 9223372036854775807, "min": -9223372036854775808,
        "unsignedTooBig": 18446744073709551615, "fraction": 3.9, "negativeFraction": -3.9,
        "hugeDouble": 1e30, "exponent": 1e3,
        "true": true, "false": false, "null": null, "array": [1], "object": {"a": 1},
        "plus": "+42", "minus": "-17", "digits": "0012", "spaced": "4 2", "leadingBlank": " 5",
        "empty": "", "letters": "12a", "signs": "+-5", "sign": "-",
        "overflow": "9223372036854775808",
        "textMax": "9223372036854775807", "textMin": "-9223372036854775808", "decimal": "1.5"
    })";
    simdjson::dom::parser parser;
    const simdjson::dom::element document = parser.parse(json);

    const std::pair<const char*, std::int64_t> cases[] = {
        {"int", 42},
        {"negative", -7},
        {"max", INT64_MAX},
        {"min", INT64_MIN},
        {"unsignedTooBig", 0},
        {"fraction", 3},
        {"negativeFraction", -3},
        {"hugeDouble", 0},
        {"exponent", 1000},
        {"true", 0},
        {"false", 0},
        {"null", 0},
        {"array", 0},
        {"object", 0},
        {"plus", 42},
        {"minus", -17},
        {"digits", 12},
        {"spaced", 0},
        {"leadingBlank", 0},
        {"empty", 0},
        {"letters", 0},
        {"signs", 0},
        {"sign", 0},
        {"overflow", 0},
        {"textMax", INT64_MAX},
        {"textMin", INT64_MIN},
        {"decimal", 0},
    };
    for (const auto& [key, expected] : cases) {
        const simdjson::dom::element value = document[key];
        EXPECT_EQ(ArchiveEngineService::int64Value(&value), expected) << key;
    }
    EXPECT_EQ(ArchiveEngineService::int64Value(nullptr), 0);
}

TEST(ArchiveEngineFileSizeTest, GivesTheSizeOfARegularFileElseZero) {
    testing::TemporaryFolder folder;
    const fs::path file = folder.write("data.bin", std::string(1234, 'x'));
    const fs::path empty = folder.write("empty.bin", "");
    fs::create_symlink(file, folder.path() / "link.bin");
    EXPECT_EQ(ArchiveEngineService::fileSize(file), 1234);
    EXPECT_EQ(ArchiveEngineService::fileSize(empty), 0);
    EXPECT_EQ(ArchiveEngineService::fileSize(folder.path() / "link.bin"), 1234);
    EXPECT_EQ(ArchiveEngineService::fileSize(folder.path() / "missing.bin"), 0);
    EXPECT_EQ(ArchiveEngineService::fileSize(folder.path()), 0);
}

struct ProgressCase {
    const char* name;
    std::string chunk;
    std::optional<ProgressReport> expected;
};

class SevenZipProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(SevenZipProgressTest, ReadsTheLastValidPercentage) {
    EXPECT_EQ(ArchiveEngineService::parseSevenZipProgress(GetParam().chunk), GetParam().expected);
}

// The shape of what 7zz writes to a pipe: each redraw erases the previous one with
// backspaces, spaces and backspaces, with no line break in between.
std::string redraws() {
    const std::string erase = std::string(12, '\b') + std::string(12, ' ') + std::string(12, '\b');
    return "  0%" + erase + "  0% + big.bin" + erase + "  1% + big.bin" + erase + " 12%" + erase;
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, SevenZipProgressTest,
    ::testing::Values(
        ProgressCase{"PercentWithText", "  45% 12 - docs/a.txt",
                     ProgressReport{0.45, "12 - docs/a.txt"}},
        ProgressCase{"LastPercentWithEarlierText", "7% x\r9%", ProgressReport{0.09, "x"}},
        ProgressCase{"LaterTextReplacesEarlier", "7% x\n9% y\n", ProgressReport{0.09, "y"}},
        ProgressCase{"JustHundred", "100%", ProgressReport{1.0, ""}},
        ProgressCase{"Zero", "0%", ProgressReport{0.0, ""}},
        ProgressCase{"SignedNumber", "+50% half", ProgressReport{0.5, "half"}},
        ProgressCase{"LastWordBeforePercent", "Extracting 3%", ProgressReport{0.03, ""}},
        ProgressCase{"AboveHundredIsIgnored", "150% done", std::nullopt},
        ProgressCase{"LettersAreIgnored", "abc% x", std::nullopt},
        ProgressCase{"NegativeIsIgnored", "-5% x", std::nullopt},
        ProgressCase{"InvalidPieceKeepsValidOne", "20% a\n150% b", ProgressReport{0.2, "a"}},
        ProgressCase{"NoPercent", "Everything is Ok\n", std::nullopt},
        ProgressCase{"Empty", "", std::nullopt},
        ProgressCase{"RedrawsWithBackspaces", redraws(), ProgressReport{0.12, "+ big.bin"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
}  // namespace kelvane
