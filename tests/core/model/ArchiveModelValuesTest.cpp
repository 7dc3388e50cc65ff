// Archive facts, folder nodes, byte-size text and the small enumerations.
#include <gtest/gtest.h>

#include <unordered_set>

#include "model/ArchiveEngineKind.hpp"
#include "model/ArchiveFilterKind.hpp"
#include "model/ArchiveFolderNode.hpp"
#include "model/ArchiveInfo.hpp"
#include "model/ArchiveSortField.hpp"
#include "model/ByteSizeFormatter.hpp"

namespace kelvane {
namespace {

TEST(ArchiveInfoTest, OverallSavedPercentFallsBackToPhysicalSize) {
    ArchiveInfo info;
    info.totalUncompressedSize = 1000;
    info.totalCompressedSize = 0;
    info.physicalSize = 250;
    EXPECT_DOUBLE_EQ(info.overallCompressionSavedPercent(), 75.0);

    info.totalCompressedSize = 900;
    EXPECT_NEAR(info.overallCompressionSavedPercent(), 10.0, 1e-9);

    info.totalCompressedSize = 1200;  // grew
    EXPECT_DOUBLE_EQ(info.overallCompressionSavedPercent(), 0.0);

    info.totalUncompressedSize = 0;
    EXPECT_DOUBLE_EQ(info.overallCompressionSavedPercent(), 0.0);
}

TEST(ArchiveInfoTest, EqualityComparesEveryField) {
    ArchiveInfo a;
    a.url = "/tmp/a.zip";
    a.formatName = "zip";
    ArchiveInfo b = a;
    EXPECT_EQ(a, b);
    b.loadDurationMs = 2;
    EXPECT_NE(a, b);
    b = a;
    b.extractEngine = ArchiveEngineKind::unarchiver;
    EXPECT_NE(a, b);
}

TEST(ArchiveFolderNodeTest, EqualityAndHashCoverSubfolderList) {
    const ArchiveFolderNode a{"a/b", "b", "a", 2, {"a/b/c", "a/b/d"}, 3, 30, 12};
    ArchiveFolderNode b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.hash(), b.hash());
    b.directSubfolderPaths = {"a/b/d", "a/b/c"};
    EXPECT_NE(a, b);
    b = a;
    b.directSubfolderPaths.pop_back();
    EXPECT_NE(a, b);
    EXPECT_NE(a.hash(), b.hash());
    std::unordered_set<ArchiveFolderNode> set{a, b, a};
    EXPECT_EQ(set.size(), 2U);
}

TEST(ByteSizeFormatterTest, FormatsDecimalUnitsWithAdaptivePrecision) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {-5, "Zero KB"},
        {0, "Zero KB"},
        {1, "1 byte"},
        {2, "2 bytes"},
        {532, "532 bytes"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"},
        {999'499, "999 KB"},
        {999'999, "1 MB"},
        {1'000'000, "1 MB"},
        {1'500'000, "1.5 MB"},
        {1'049'999, "1 MB"},
        {12'345'678'901, "12.35 GB"},
        {3'100'000'000, "3.1 GB"},
        {1'000'000'000'000, "1 TB"},
        {9'223'372'036'854'775'807, "9.22 EB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(ByteSizeFormatter::format(bytes), text) << bytes;
    }
}

TEST(ModelEnumerationTest, RawValuesRoundTripInDeclarationOrder) {
    const auto filters = ArchiveFilterKind::allCases();
    ASSERT_EQ(filters.size(), 7U);
    EXPECT_EQ(filters.front(), ArchiveFilterKind::all);
    EXPECT_EQ(filters.back().rawValue(), "encrypted");
    for (const ArchiveFilterKind kind : filters) {
        EXPECT_EQ(ArchiveFilterKind::fromRawValue(kind.rawValue()), kind);
        EXPECT_EQ(kind.id(), kind.rawValue());
    }
    EXPECT_EQ(ArchiveSortField::fromRawValue("packedSize"), ArchiveSortField::packedSize);
    EXPECT_FALSE(ArchiveSortField::fromRawValue("Name").has_value());
    EXPECT_EQ(ArchiveEngineKind::fromRawValue("unarchiver"), ArchiveEngineKind::unarchiver);
    EXPECT_FALSE(ArchiveEngineKind::fromRawValue("7zz").has_value());
}

}  // namespace
}  // namespace kelvane
