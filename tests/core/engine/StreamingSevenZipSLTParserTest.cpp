#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "ListingTestSupport.hpp"
#include "engine/StreamingSevenZipSLTParser.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

using testing::feedLines;
using testing::findEntry;
using testing::idsOf;
using testing::readFile;
using testing::testData;

StreamingSevenZipSLTParser parse(std::string_view text, std::string format = "ZIP",
                                 std::function<void(std::int64_t)> onCount = {}) {
    StreamingSevenZipSLTParser parser(std::move(format), std::move(onCount));
    feedLines(text, [&parser](std::string_view line) { parser.consumeLine(line); });
    parser.flushCurrent();
    return parser;
}

// The captures were made in UTC; their dates read as local time here.
class CapturedSevenZipOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.set("TZ", "UTC");
        ::tzset();
    }
    void TearDown() override { ::tzset(); }

    static StreamingSevenZipSLTParser parseCapture(const std::string& name, std::string format) {
        return parse(readFile(testData("sevenzip/7zz-26.02-" + name + ".slt.txt")),
                     std::move(format));
    }

private:
    testing::ScopedEnvironment environment_;
};

const ArchiveTimestamp kCaptureDate(std::chrono::sys_days(std::chrono::year(2024) / 1 / 31) +
                                    std::chrono::hours(12) + std::chrono::minutes(34) +
                                    std::chrono::seconds(56));

TEST_F(CapturedSevenZipOutputTest, NestedZipGivesEveryEntryWithItsFacts) {
    const auto parser = parseCapture("nested.zip", "ZIP");
    EXPECT_EQ(parser.formatType(), "ZIP");
    EXPECT_EQ(idsOf(parser.entries()),
              (std::vector<std::string>{"docs", "docs/readme.md", "docs/sub", "docs/sub/big.txt",
                                        "docs/café ☕.txt", "empty", "top.txt"}));
    EXPECT_EQ(parser.fileCount(), 4);
    EXPECT_EQ(parser.totalRaw(), 6 + 3000 + 6 + 4);
    EXPECT_FALSE(parser.isSolid());
    EXPECT_FALSE(parser.anyEncrypted());

    const ArchiveEntry* folder = findEntry(parser.entries(), "empty");
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->isDirectory());
    const ArchiveEntry* big = findEntry(parser.entries(), "docs/sub/big.txt");
    ASSERT_NE(big, nullptr);
    EXPECT_FALSE(big->isDirectory());
    EXPECT_EQ(big->uncompressedSize(), 3000);
    EXPECT_GT(big->compressedSize(), 0);
    EXPECT_LT(big->compressedSize(), 3000);
    EXPECT_EQ(big->modifiedDate(), kCaptureDate);
    EXPECT_EQ(big->method(), "Deflate");
    ASSERT_TRUE(big->crc32().has_value());
    EXPECT_EQ(big->crc32()->size(), 8U);
    const ArchiveEntry* unicode = findEntry(parser.entries(), "docs/café ☕.txt");
    ASSERT_NE(unicode, nullptr);
    EXPECT_EQ(unicode->name(), "café ☕.txt");
    EXPECT_EQ(unicode->fileExtension(), "txt");
}

TEST_F(CapturedSevenZipOutputTest, ZipWithoutFolderEntriesListsOnlyFiles) {
    const auto parser = parseCapture("no-folder-entries.zip", "ZIP");
    EXPECT_EQ(parser.entries().size(), 4U);
    EXPECT_EQ(parser.fileCount(), 4);
    for (const ArchiveEntry& entry : parser.entries())
        EXPECT_FALSE(entry.isDirectory()) << entry.id();
}

TEST_F(CapturedSevenZipOutputTest, SolidSevenZipReportsSolidAndTheHeaderFormat) {
    const auto parser = parseCapture("solid.7z", "7Z");
    EXPECT_EQ(parser.formatType(), "7Z");
    EXPECT_TRUE(parser.isSolid());
    EXPECT_EQ(parser.fileCount(), 4);
    const ArchiveEntry* sub = findEntry(parser.entries(), "docs/sub");
    ASSERT_NE(sub, nullptr);
    // 7z blocks say "Attributes = D…" instead of "Folder = +".
    EXPECT_TRUE(sub->isDirectory());
    const ArchiveEntry* readme = findEntry(parser.entries(), "docs/readme.md");
    ASSERT_NE(readme, nullptr);
    // The fraction of a second 7z prints is ignored.
    EXPECT_EQ(readme->modifiedDate(), kCaptureDate);
}

TEST_F(CapturedSevenZipOutputTest, SplitArchiveTakesTheInnermostTypeAndTheVolumeCount) {
    const auto parser = parseCapture("volumes.7z.001", "001");
    EXPECT_EQ(parser.formatType(), "7Z");
    EXPECT_TRUE(parser.isMultiVolume());
    EXPECT_EQ(parser.volumeCount(), 2);
    EXPECT_EQ(parser.fileCount(), 3);
}

TEST_F(CapturedSevenZipOutputTest, EncryptedZipMarksEntriesAndTheArchive) {
    const auto parser = parseCapture("encrypted-data.zip", "ZIP");
    ASSERT_EQ(parser.entries().size(), 2U);
    EXPECT_TRUE(parser.anyEncrypted());
    for (const ArchiveEntry& entry : parser.entries()) EXPECT_TRUE(entry.isEncrypted());
    EXPECT_EQ(parser.entries()[0].method(), "ZipCrypto Store");
    EXPECT_EQ(parser.entries()[0].crc32(), "363A3020");
}

TEST_F(CapturedSevenZipOutputTest, EncryptedNamesLeaveNoEntriesAndTheHeaderForDiagnosis) {
    const auto parser = parseCapture("encrypted-names.7z", "7Z");
    EXPECT_TRUE(parser.entries().empty());
    EXPECT_FALSE(parser.inEntries());
    EXPECT_NE(parser.diagnosticSnippet().find("Listing archive: encrypted-names.7z\n"),
              std::string::npos);
}

TEST(StreamingSevenZipSLTParser, HeaderFacts) {
    const auto parser = parse(
        "Type = zip\nSolid = +\nMultivolume = -\nVolumes = 1\n----------\n"
        "Path = docs\nFolder = +\n\nPath = docs/a.txt\nFolder = -\nSize = 10\nPacked Size = 4\n",
        "ZIP");
    EXPECT_EQ(parser.formatType(), "ZIP");
    EXPECT_TRUE(parser.isSolid());
    EXPECT_FALSE(parser.isMultiVolume());
    EXPECT_EQ(parser.volumeCount(), 1);
    ASSERT_EQ(parser.entries().size(), 2U);
    EXPECT_TRUE(parser.entries()[0].isDirectory());
    EXPECT_EQ(parser.fileCount(), 1);
    EXPECT_EQ(parser.totalRaw(), 10);
    EXPECT_EQ(parser.totalPacked(), 4);

    EXPECT_EQ(parse("Type =   \t\n").formatType(), "ZIP");  // an empty type keeps the fallback
    EXPECT_EQ(parse("Type = gzip\nType = tar\n").formatType(), "TAR");
    const auto volumes = parse("Volumes = 3\n");
    EXPECT_TRUE(volumes.isMultiVolume());
    EXPECT_EQ(volumes.volumeCount(), 3);
    EXPECT_TRUE(parse("Multivolume = +\n").isMultiVolume());
    // Entry keys before the separator describe the archive itself, not an entry.
    EXPECT_TRUE(parse("Path = outer.zip\nSize = 5\n\n").entries().empty());
}

TEST(StreamingSevenZipSLTParser, EntryBlocks) {
    const auto parser = parse(
        "----------\n"
        "Path = \nSize = 1\n\n"                       // empty path: dropped
        "Path = photos/\nSize = 0\n\n"                // trailing slash: a folder
        "Path = x\nSize = 12x\nPacked Size = -3\n\n"  // unreadable size: 0; negative: 0
        "Path = y\nSize = +7\nFolder = -\nEncrypted = +\nModified = \nCRC = \nMethod = \n\n"
        "Path = z\nAttributes = D drwx\nSize = 99\n"  // last block without an empty line
    );
    EXPECT_EQ(idsOf(parser.entries()), (std::vector<std::string>{"photos", "x", "y", "z"}));
    EXPECT_TRUE(parser.entries()[0].isDirectory());
    EXPECT_EQ(parser.entries()[1].uncompressedSize(), 0);
    EXPECT_EQ(parser.entries()[1].compressedSize(), 0);
    const ArchiveEntry& y = parser.entries()[2];
    EXPECT_EQ(y.uncompressedSize(), 7);
    EXPECT_TRUE(y.isEncrypted());
    EXPECT_EQ(y.modifiedDate(), std::nullopt);
    EXPECT_EQ(y.crc32(), std::nullopt);
    EXPECT_EQ(y.method(), std::nullopt);
    EXPECT_TRUE(parser.entries()[3].isDirectory());
    EXPECT_TRUE(parser.anyEncrypted());
    // Folders count towards nothing; the negative packed size was summed as read.
    EXPECT_EQ(parser.fileCount(), 2);
    EXPECT_EQ(parser.totalRaw(), 7);
}

TEST(StreamingSevenZipSLTParser, BlockFieldsDoNotLeakIntoTheNextBlock) {
    const auto parser = parse(
        "----------\nPath = a\nFolder = +\nEncrypted = +\nCRC = 1\nMethod = M\nModified = "
        "2024-01-01 "
        "00:00:00 +0000\nSize = 5\n\nPath = b\n");
    ASSERT_EQ(parser.entries().size(), 2U);
    const ArchiveEntry& b = parser.entries()[1];
    EXPECT_FALSE(b.isDirectory());
    EXPECT_FALSE(b.isEncrypted());
    EXPECT_EQ(b.crc32(), std::nullopt);
    EXPECT_EQ(b.method(), std::nullopt);
    EXPECT_EQ(b.modifiedDate(), std::nullopt);
    EXPECT_EQ(b.uncompressedSize(), 0);
}

TEST(StreamingSevenZipSLTParser, CountUpdatesComeEvery2500FilesOnly) {
    std::string text = "----------\n";
    for (int i = 0; i < 300; ++i) text += "Path = d" + std::to_string(i) + "\nFolder = +\n\n";
    for (int i = 0; i < 5000; ++i) text += "Path = f" + std::to_string(i) + "\nSize = 1\n\n";
    std::vector<std::int64_t> updates;
    const auto parser =
        parse(text, "ZIP", [&updates](std::int64_t count) { updates.push_back(count); });
    EXPECT_EQ(updates, (std::vector<std::int64_t>{2500, 5000}));
    EXPECT_EQ(parser.fileCount(), 5000);
    EXPECT_EQ(parser.entries().size(), 5300U);
}

TEST(StreamingSevenZipSLTParser, DiagnosticSnippetIsBoundedAndKeepsOnlyTheHeader) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "Warning line number " + std::to_string(i) + "\n";
    text += "----------\nPath = a\n\n";
    const auto parser = parse(text);
    EXPECT_GE(parser.diagnosticSnippet().size(),
              StreamingSevenZipSLTParser::kDiagnosticSnippetLimit);
    EXPECT_LT(parser.diagnosticSnippet().size(),
              StreamingSevenZipSLTParser::kDiagnosticSnippetLimit + 64);
    EXPECT_EQ(parser.diagnosticSnippet().find("Path = a"), std::string::npos);
}

TEST(StreamingSevenZipSLTParser, TotalsStopAtTheLimitInsteadOfWrapping) {
    const auto parser = parse(
        "----------\nPath = a\nSize = 9223372036854775807\n\nPath = b\nSize = "
        "9223372036854775807\n");
    EXPECT_EQ(parser.totalRaw(), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

TEST(StreamingSevenZipSLTParser, UnnamedStreamOfACompressedFileListsUnderTheArchiveName) {
    const std::string output =
        "Path = /data/notes.txt.bz2\nType = bzip2\n\n----------\nSize = \nPacked Size = \n\n";
    StreamingSevenZipSLTParser parser("BZ2", {}, "notes.txt");
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) parser.consumeLine(line);
    parser.flushCurrent();
    ASSERT_EQ(parser.entries().size(), 1U);
    EXPECT_EQ(parser.entries()[0].id(), "notes.txt");
    EXPECT_FALSE(parser.entries()[0].isDirectory());
    EXPECT_EQ(parser.fileCount(), 1);

    // A block with an empty path stays dropped, and so does the empty tail after a block.
    StreamingSevenZipSLTParser empty("BZ2", {}, "notes.txt");
    for (const std::string_view line : {"----------", "Path = ", "Size = 1", "", "", ""}) {
        empty.consumeLine(line);
    }
    empty.flushCurrent();
    EXPECT_TRUE(empty.entries().empty());
}

TEST(StreamingSevenZipSLTParser, UnnamedStreamPathDropsTheCompressionExtension) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/a/test_expand.bz2", "test_expand"},
        {"/a/backup.tar.zst", "backup.tar"},
        {"/a/Backup.TXZ", "Backup.tar"},
        {"/a/x.tgz", "x.tar"},
        {"/a/noext", "noext"},
    };
    for (const auto& [archive, path] : cases) {
        EXPECT_EQ(StreamingSevenZipSLTParser::unnamedStreamPath(archive), path) << archive;
    }
}

}  // namespace
}  // namespace kelvane
