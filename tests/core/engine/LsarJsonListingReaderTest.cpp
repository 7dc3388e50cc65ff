#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ListingTestSupport.hpp"
#include "engine/LsarJsonListingReader.hpp"

namespace kelvane {
namespace {

using testing::findEntry;
using testing::idsOf;
using testing::readFile;
using testing::testData;

LsarListingContents read(const std::string& json, std::string_view fallback = "ZIP") {
    auto contents = LsarJsonListingReader::read(json, fallback);
    EXPECT_TRUE(contents.has_value()) << json;
    return contents.value_or(LsarListingContents{});
}

// A document whose contents are the given entry objects.
std::string document(const std::string& items) {
    return R"({"lsarFormatName": "Zip", "lsarContents": [)" + items + "]}";
}

const ArchiveTimestamp kCaptureDate(std::chrono::sys_days(std::chrono::year(2024) / 1 / 31) +
                                    std::chrono::hours(12) + std::chrono::minutes(34) +
                                    std::chrono::seconds(56));

TEST(LsarJsonListingReader, CapturedZipListing) {
    const auto contents = read(readFile(testData("lsar/lsar-1.10.1-nested.zip.json")));
    EXPECT_EQ(contents.formatName, "Zip");
    EXPECT_EQ(contents.volumes, (std::vector<std::string>{"nested.zip"}));
    EXPECT_EQ(idsOf(contents.entries),
              (std::vector<std::string>{"docs", "docs/readme.md", "docs/sub", "docs/sub/big.txt",
                                        "docs/café ☕.txt", "empty", "top.txt"}));
    EXPECT_EQ(contents.fileCount, 4);
    EXPECT_EQ(contents.totalUncompressedSize, 3016);
    EXPECT_EQ(contents.totalCompressedSize, 6 + 20 + 6 + 4);
    EXPECT_FALSE(contents.isSolid);
    EXPECT_FALSE(contents.hasEncryptedEntries);

    // Debian's lsar prints the directory flag as the number 1.
    EXPECT_TRUE(findEntry(contents.entries, "empty")->isDirectory());
    const ArchiveEntry* big = findEntry(contents.entries, "docs/sub/big.txt");
    ASSERT_NE(big, nullptr);
    EXPECT_FALSE(big->isDirectory());
    EXPECT_EQ(big->uncompressedSize(), 3000);
    EXPECT_EQ(big->compressedSize(), 20);
    EXPECT_EQ(big->method(), "Deflate");
    EXPECT_EQ(big->xadIndex(), 3);
    EXPECT_EQ(big->crc32(), "98EE17E7");  // 2565740519
    EXPECT_EQ(big->modifiedDate(), kCaptureDate);
    EXPECT_EQ(findEntry(contents.entries, "docs/readme.md")->method(), "None");  // stored
}

TEST(LsarJsonListingReader, CapturedCompressedTarAndSolidSevenZip) {
    const auto tar = read(readFile(testData("lsar/lsar-1.10.1-nested.tar.gz.json")));
    EXPECT_EQ(tar.formatName, "Gzip");
    EXPECT_EQ(tar.fileCount, 4);
    EXPECT_TRUE(tar.isSolid);
    EXPECT_TRUE(findEntry(tar.entries, "docs/sub")->isDirectory());
    EXPECT_EQ(findEntry(tar.entries, "docs")->crc32(), std::nullopt);

    const auto sevenZip = read(readFile(testData("lsar/lsar-1.10.1-solid.7z.json")));
    EXPECT_EQ(sevenZip.formatName, "7-Zip");
    EXPECT_TRUE(sevenZip.isSolid);
    EXPECT_EQ(sevenZip.fileCount, 4);
    EXPECT_EQ(findEntry(sevenZip.entries, "docs")->uncompressedSize(), 0);
}

TEST(LsarJsonListingReader, CapturedEncryptedZip) {
    const auto contents = read(readFile(testData("lsar/lsar-1.10.1-encrypted-data.zip.json")));
    EXPECT_TRUE(contents.hasEncryptedEntries);
    ASSERT_EQ(contents.entries.size(), 2U);
    EXPECT_TRUE(contents.entries[0].isEncrypted());
    EXPECT_EQ(contents.entries[0].crc32(), "363A3020");
}

TEST(LsarJsonListingReader, FolderWithFileGivesTotals) {
    const auto contents = read(document(
        R"({"XADFileName": "docs", "XADIsDirectory": true},
           {"XADFileName": "docs/a.txt", "XADFileSize": 10, "XADCompressedSize": 4})"));
    ASSERT_EQ(contents.entries.size(), 2U);
    EXPECT_TRUE(contents.entries[0].isDirectory());
    EXPECT_EQ(contents.fileCount, 1);
    EXPECT_EQ(contents.totalUncompressedSize, 10);
    EXPECT_EQ(contents.totalCompressedSize, 4);
}

TEST(LsarJsonListingReader, ValuesOfUnexpectedTypesFallBackToDefaults) {
    const auto contents = read(document(R"(
        {"XADFileName": "dir/"},
        {"XADFileName": "dir2/", "XADIsDirectory": 0},
        {"XADFileName": "text-size", "XADFileSize": "123", "XADCompressedSize": "+7"},
        {"XADFileName": "bool-size", "XADFileSize": true, "XADIsDirectory": 2},
        {"XADFileName": "flags", "XADIsEncrypted": "yes", "XADIsSolid": 0,
         "XADLastModificationDate": 5, "XADCompressionName": 3, "XADIndex": "7",
         "ZipCRC32": "1"},
        {"XADFileName": "zip-crc", "ZipCRC32": 255, "RARCRC32": 1},
        {"XADFileName": "rar-crc", "ZipCRC32": "x", "RARCRC32": 4294967295},
        {"XADFileName": ""},
        {"XADFileName": 5},
        {"XADFileSize": 5}
    )"));
    EXPECT_EQ(idsOf(contents.entries),
              (std::vector<std::string>{"dir", "dir2", "text-size", "bool-size", "flags", "zip-crc",
                                        "rar-crc"}));
    EXPECT_TRUE(contents.entries[0].isDirectory());   // trailing slash, no flag
    EXPECT_FALSE(contents.entries[1].isDirectory());  // the flag wins over the slash
    EXPECT_EQ(contents.entries[2].uncompressedSize(), 123);
    EXPECT_EQ(contents.entries[2].compressedSize(), 7);
    EXPECT_EQ(contents.entries[3].uncompressedSize(), 0);
    EXPECT_FALSE(contents.entries[3].isDirectory());  // 2 is no boolean: the name decides
    const ArchiveEntry& flags = contents.entries[4];
    EXPECT_FALSE(flags.isEncrypted());
    EXPECT_EQ(flags.modifiedDate(), std::nullopt);
    EXPECT_EQ(flags.method(), std::nullopt);
    EXPECT_EQ(flags.xadIndex(), std::nullopt);
    EXPECT_EQ(flags.crc32(), std::nullopt);
    EXPECT_EQ(contents.entries[5].crc32(), "000000FF");
    EXPECT_EQ(contents.entries[6].crc32(), "FFFFFFFF");
    EXPECT_FALSE(contents.isSolid);
    EXPECT_EQ(contents.fileCount, 6);
    EXPECT_EQ(contents.totalUncompressedSize, 123);
}

TEST(LsarJsonListingReader, DocumentLevelFallbacks) {
    const auto bare = read(R"({"lsarContents": [{"XADFileName": "a"}]})", "LZH");
    EXPECT_EQ(bare.formatName, "LZH");
    EXPECT_TRUE(bare.volumes.empty());
    EXPECT_EQ(bare.entries.size(), 1U);

    const auto volumes = read(
        R"({"lsarFormatName": 3, "lsarProperties": {"XADVolumes": ["a.part1.rar", "a.part2.rar", "a.part3.rar"]}})",
        "RAR");
    EXPECT_EQ(volumes.formatName, "RAR");
    EXPECT_EQ(volumes.volumes.size(), 3U);
    EXPECT_TRUE(volumes.entries.empty());

    EXPECT_TRUE(read(R"({"lsarProperties": {"XADVolumes": ["a", 1]}})").volumes.empty());
    EXPECT_TRUE(read(R"({"lsarProperties": {"XADVolumes": "a"}})").volumes.empty());
    EXPECT_TRUE(read(R"({"lsarProperties": []})").volumes.empty());
    EXPECT_TRUE(read(R"({"lsarContents": {"XADFileName": "a"}})").entries.empty());
    // One element that is not an object voids the whole array.
    EXPECT_TRUE(read(document(R"({"XADFileName": "a"}, 5)")).entries.empty());
}

TEST(LsarJsonListingReader, WhatIsNotAJsonObjectIsRefused) {
    for (const std::string text : {"", "[]", "\"text\"", "{\"lsarContents\": [", "not json",
                                   "{\"lsarContents\": []} trailing"}) {
        EXPECT_EQ(LsarJsonListingReader::read(text, "ZIP"), std::nullopt) << text;
    }
    // What the tool prints when the listing needs a password: an unterminated document.
    EXPECT_EQ(LsarJsonListingReader::read(
                  readFile(testData("lsar/lsar-1.10.1-encrypted-names.7z.json")), "7Z"),
              std::nullopt);
}

}  // namespace
}  // namespace kelvane
