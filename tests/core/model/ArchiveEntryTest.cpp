#include "model/ArchiveEntry.hpp"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace kelvane {
namespace {

ArchiveEntry file(std::string_view path, std::int64_t size = 10, std::int64_t packed = 4) {
    return ArchiveEntry(path, false, size, packed, std::nullopt, false, std::nullopt,
                        std::nullopt, std::nullopt);
}

ArchiveEntry folder(std::string_view path) {
    return ArchiveEntry(path, true, 0, 0, std::nullopt, false, std::nullopt, std::nullopt,
                        std::nullopt);
}

struct PathCase {
    std::string raw;
    bool isDirectory;
    std::string id, name, parent, lowerName, lowerPath, extension;
};

class ArchiveEntryPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ArchiveEntryPathTest, DerivesEveryPathField) {
    const PathCase& c = GetParam();
    const ArchiveEntry entry(c.raw, c.isDirectory, 1, 1, std::nullopt, false, std::nullopt,
                             std::nullopt, std::nullopt);
    EXPECT_EQ(entry.rawPath(), c.raw);
    EXPECT_EQ(entry.id(), c.id);
    EXPECT_EQ(ArchiveEntry::normalizePath(c.raw), c.id);
    EXPECT_EQ(entry.name(), c.name);
    EXPECT_EQ(entry.parentPath(), c.parent);
    EXPECT_EQ(entry.lowercasedName(), c.lowerName);
    EXPECT_EQ(entry.lowercasedPath(), c.lowerPath);
    EXPECT_EQ(entry.fileExtension(), c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ArchiveEntryPathTest,
    ::testing::Values(
        PathCase{"./docs/readme.md", false, "docs/readme.md", "readme.md", "docs", "readme.md",
                 "docs/readme.md", "md"},
        PathCase{"Dir\\Sub\\File.TXT", false, "Dir/Sub/File.TXT", "File.TXT", "Dir/Sub",
                 "file.txt", "dir/sub/file.txt", "txt"},
        // "./" is only stripped before the leading slashes are.
        PathCase{"/./a", false, "./a", "a", ".", "a", "./a", ""},
        PathCase{"././//x/y/", true, "x/y", "y", "x", "y", "x/y", ""},
        PathCase{"./", true, "", "", "", "", "", ""},
        PathCase{"/", false, "", "", "", "", "", ""},
        PathCase{"photos/", false, "photos", "photos", "", "photos", "photos", ""},
        // Dot segments and doubled slashes inside the path are kept as they are.
        PathCase{"a/../b//c.Z", false, "a/../b//c.Z", "c.Z", "a/../b/", "c.z", "a/../b//c.z",
                 "z"},
        PathCase{".gitignore", false, ".gitignore", ".gitignore", "", ".gitignore", ".gitignore",
                 ""},
        PathCase{"README.", false, "README.", "README.", "", "readme.", "readme.", ""},
        PathCase{"backup.tar.gz", false, "backup.tar.gz", "backup.tar.gz", "",
                 "backup.tar.gz", "backup.tar.gz", "gz"},
        PathCase{"x.app", true, "x.app", "x.app", "", "x.app", "x.app", ""},
        // Full Unicode lower-casing, independent of any locale.
        PathCase{"ÇİZİM/ÖZET.PDF", false, "ÇİZİM/ÖZET.PDF", "ÖZET.PDF", "ÇİZİM", "özet.pdf",
                 "çi̇zi̇m/özet.pdf", "pdf"},
        // A word-final capital sigma lower-cases to the final form.
        PathCase{"Straße/ΣΟΦΟΣ", false, "Straße/ΣΟΦΟΣ", "ΣΟΦΟΣ", "Straße", "σοφος",
                 "straße/σοφος", ""},
        PathCase{"ΟΔΟΣ.Txt", false, "ΟΔΟΣ.Txt", "ΟΔΟΣ.Txt", "", "οδοσ.txt", "οδοσ.txt",
                 "txt"}));

TEST(ArchiveEntryTest, ClampsNegativeSizesAndKeepsOptionalFields) {
    const ArchiveTimestamp date{std::chrono::seconds(1'700'000'000)};
    const ArchiveEntry entry("a/b.bin", false, -5, -1, date, true, "1A2B3C4D", "LZMA2:24", 17);
    EXPECT_EQ(entry.uncompressedSize(), 0);
    EXPECT_EQ(entry.compressedSize(), 0);
    EXPECT_EQ(entry.modifiedDate(), date);
    EXPECT_TRUE(entry.isEncrypted());
    EXPECT_EQ(entry.crc32(), "1A2B3C4D");
    EXPECT_EQ(entry.method(), "LZMA2:24");
    EXPECT_EQ(entry.xadIndex(), 17);

    const ArchiveEntry bare = file("c");
    EXPECT_FALSE(bare.modifiedDate().has_value());
    EXPECT_FALSE(bare.crc32().has_value());
    EXPECT_FALSE(bare.method().has_value());
    EXPECT_FALSE(bare.xadIndex().has_value());
    EXPECT_FALSE(bare.isEncrypted());
}

TEST(ArchiveEntryTest, EqualityUsesIdKindAndSizeAndHashUsesIdAlone) {
    const ArchiveTimestamp early{std::chrono::seconds(1)};
    const ArchiveTimestamp late{std::chrono::seconds(2)};
    const ArchiveEntry a("x/y.txt", false, 10, 3, early, false, "AA", "Deflate", std::nullopt);
    const ArchiveEntry sameButDate("./x/y.txt", false, 10, 9, late, true, "BB", "Store", 4);
    const ArchiveEntry otherSize("x/y.txt", false, 11, 3, early, false, "AA", "Deflate",
                                 std::nullopt);
    const ArchiveEntry otherKind("x/y.txt", true, 10, 3, early, false, "AA", "Deflate",
                                 std::nullopt);
    EXPECT_EQ(a, sameButDate);
    EXPECT_NE(a, otherSize);
    EXPECT_NE(a, otherKind);
    EXPECT_EQ(a.hash(), otherSize.hash());
    EXPECT_EQ(std::hash<ArchiveEntry>{}(a), std::hash<ArchiveEntry>{}(otherKind));

    std::unordered_set<ArchiveEntry> set{a, sameButDate, otherSize};
    EXPECT_EQ(set.size(), 2U);
}

TEST(ArchiveEntryTest, CopiesShareOneRecordAcrossThreads) {
    const ArchiveEntry original("shared/path/file.txt", false, 5, 5, std::nullopt, false,
                                std::nullopt, std::nullopt, std::nullopt);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&original] {
            for (int i = 0; i < 20000; ++i) {
                ArchiveEntry copy = original;
                ArchiveEntry moved = std::move(copy);
                ASSERT_EQ(moved.id().data(), original.id().data());
            }
        });
    }
    for (auto& thread : threads) thread.join();

    ArchiveEntry assigned = file("other");
    assigned = original;
    EXPECT_EQ(assigned.name().data(), original.name().data());
    assigned = assigned;  // self-assignment keeps the record alive
    EXPECT_EQ(assigned.name(), "file.txt");
}

TEST(ArchiveEntryTest, PathTextIsStoredOnceWhenAlreadyLowerCase) {
    const std::string path = "project/src/module/component/implementation-detail-0001.cpp";
    const ArchiveEntry entry = file(path);
    EXPECT_EQ(entry.lowercasedPath().data(), entry.id().data());
    EXPECT_EQ(entry.id().data(), entry.rawPath().data());
    EXPECT_LT(entry.storedBytes(), path.size() + 128);
}

TEST(ArchiveEntryTest, MethodNamesArePooled) {
    const ArchiveEntry a("a", false, 1, 1, std::nullopt, false, std::nullopt, "PPMD:o6", {});
    const ArchiveEntry b("b", false, 1, 1, std::nullopt, false, std::nullopt,
                         std::string("PPMD:") + "o6", {});
    EXPECT_EQ(a.method()->data(), b.method()->data());
}

struct CategoryCase {
    std::string path;
    bool isDirectory;
    ArchiveFileCategory category;
    std::string icon;
};

class ArchiveEntryCategoryTest : public ::testing::TestWithParam<CategoryCase> {};

TEST_P(ArchiveEntryCategoryTest, ClassifiesByExtension) {
    const CategoryCase& c = GetParam();
    const ArchiveEntry entry(c.path, c.isDirectory, 1, 1, std::nullopt, false, std::nullopt,
                             std::nullopt, std::nullopt);
    EXPECT_EQ(entry.category(), c.category) << c.path;
    EXPECT_EQ(entry.sfSymbolName(), c.icon) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Categories, ArchiveEntryCategoryTest,
    ::testing::Values(
        CategoryCase{"photo.JPG", false, ArchiveFileCategory::image, "photo.fill"},
        CategoryCase{"pictures.png", true, ArchiveFileCategory::folder, "folder.fill"},
        CategoryCase{"archive.tar.gz", false, ArchiveFileCategory::archive, "archivebox.fill"},
        CategoryCase{"data.7z.001", false, ArchiveFileCategory::other, "doc"},
        CategoryCase{"notes", false, ArchiveFileCategory::other, "doc"},
        CategoryCase{"report.PDF", false, ArchiveFileCategory::document, "doc.richtext.fill"},
        CategoryCase{"report.docx", false, ArchiveFileCategory::document, "doc.fill"},
        CategoryCase{"clip.webm", false, ArchiveFileCategory::media, "film.fill"},
        CategoryCase{"main.rs", false, ArchiveFileCategory::codeText, "doc.text.fill"},
        CategoryCase{"x.dockerfile", false, ArchiveFileCategory::codeText, "doc.text.fill"},
        CategoryCase{"Dockerfile", false, ArchiveFileCategory::other, "doc"},
        CategoryCase{".gitignore", false, ArchiveFileCategory::other, "doc"},
        CategoryCase{"app.IPA", false, ArchiveFileCategory::archive, "archivebox.fill"}));

TEST(ArchiveEntryTest, SavedPercentNeverNegative) {
    EXPECT_DOUBLE_EQ(file("a", 1000, 250).savedPercent(), 75.0);
    EXPECT_DOUBLE_EQ(file("a", 100, 150).savedPercent(), 0.0);
    EXPECT_DOUBLE_EQ(file("a", 0, 0).savedPercent(), 0.0);
    EXPECT_DOUBLE_EQ(folder("a").savedPercent(), 0.0);
}

}  // namespace
}  // namespace kelvane
