// Files that cannot be read as archives, made here with the real tools: an empty file, a
// folder with an archive's name, a truncated 7z, split sets with a volume removed, a text
// file. Listing, extraction and the integrity test say what is wrong in the user's terms
// and the interface language, never only "<tool> failed (exit N)".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ExtractionTestSupport.hpp"
#include "engine/ArchiveFailureDiagnosis.hpp"
#include "localization/AppLanguage.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::engineErrorOf;
using testing::incompressibleBytes;
using testing::runTool;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

fs::path halfOf(const fs::path& archive, const fs::path& copy) {
    const std::string bytes = testing::readFile(archive);
    writeFile(copy, bytes.substr(0, bytes.size() / 2));
    return copy;
}

// The RAR sets of the shared corpus, copied so a volume can be taken away.
fs::path copiedRarSet(const fs::path& into, const std::string& corpusFolder,
                      const std::string& stem) {
    const fs::path corpus = fs::path(KELVANE_FIXTURES_DIR) / "corpus" / corpusFolder;
    for (const auto& item : fs::directory_iterator(corpus)) {
        if (item.path().filename().string().starts_with(stem)) {
            fs::copy_file(item.path(), into / item.path().filename());
        }
    }
    return into;
}

class UnreadableArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppLanguage::setCurrent(AppLanguage::en);
        source_.write("a.txt", "alpha");
        source_.write("big.bin", incompressibleBytes(200000));
    }
    void TearDown() override { AppLanguage::setCurrent(AppLanguage::en); }

    static std::string listingFailure(const fs::path& archive) {
        const ArchiveEngineError error =
            engineErrorOf([&] { (void)testing::listed(archive); });
        EXPECT_EQ(error.kind(), ArchiveEngineError::Case::processFailed) << error.payload();
        return error.errorDescription();
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(UnreadableArchiveTest, ListingSaysWhatIsWrongWithTheFile) {
    const fs::path folder = out_.path();
    writeFile(folder / "x.zip", "");
    fs::create_directory(folder / "y.zip");
    writeFile(folder / "notes.zip", "Just some notes, not an archive at all.\n");
    const fs::path full = folder / "full.7z";
    runTool(source_.path(), "7zz", {"a", "-bd", full.string(), "a.txt", "big.bin"});
    const fs::path truncated = halfOf(full, folder / "cut.7z");
    runTool(source_.path(), "7zz",
            {"a", "-bd", "-v60k", (folder / "split.7z").string(), "a.txt", "big.bin"});
    ASSERT_TRUE(fs::exists(folder / "split.7z.003"));
    fs::remove(folder / "split.7z.002");

    const struct {
        fs::path archive;
        std::string message;
        std::string toolWords;
    } cases[] = {
        {folder / "x.zip", "This file is empty, so it holds no archive: x.zip", ""},
        {folder / "y.zip", "This is a folder, not an archive: y.zip", ""},
        {folder / "notes.zip",
         "This file is not an archive, or its format is not supported: notes.zip", ""},
        {truncated, "This archive is damaged or truncated: cut.7z", "Unexpected end of archive"},
        {folder / "split.7z.001", "A volume of this archive is missing: split.7z.002", ""},
        {folder / "gone.zip", "This file does not exist: " + (folder / "gone.zip").string(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive.filename().string());
        const std::string message = listingFailure(c.archive);
        EXPECT_TRUE(message.starts_with(c.message)) << message;
        EXPECT_NE(message.find(c.toolWords), std::string::npos) << message;
        EXPECT_EQ(message.find("failed (exit"), std::string::npos) << message;
    }

    // In the interface language, the name after the fixed sentence.
    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(listingFailure(folder / "x.zip"), "Bu dosya boş, içinde arşiv yok: x.zip");
    EXPECT_TRUE(listingFailure(truncated).starts_with("Bu arşiv hasarlı ya da eksik: cut.7z ("));
}

TEST_F(UnreadableArchiveTest, RarSetMissingAVolumeSaysWhichOneOnExtractionAndTest) {
    const fs::path set = copiedRarSet(out_.path(), "rar5", "test_read_format_rar5_multiarchive");
    const fs::path first = set / "test_read_format_rar5_multiarchive_solid.part01.rar";
    ASSERT_TRUE(fs::exists(first));
    fs::remove(set / "test_read_format_rar5_multiarchive_solid.part02.rar");

    // The unarchiver still lists what the first volume names; extraction and the test fail.
    const ArchiveListing listing = testing::listed(first);
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);
    const ArchiveEngineError error = engineErrorOf([&] {
        (void)ArchiveEngineService().extract(
            listing, {}, ExtractArchiveOptions(out_.path() / "dest", false), nullptr, {});
    });
    EXPECT_EQ(error.kind(), ArchiveEngineError::Case::processFailed);
    EXPECT_TRUE(error.payload().starts_with(
        "A volume of this archive is missing: test_read_format_rar5_multiarchive_solid.part02.rar"))
        << error.payload();

    const ArchiveTestResult tested = ArchiveEngineService().testArchive(listing, {}, nullptr, {});
    EXPECT_FALSE(tested.passed);
    EXPECT_TRUE(tested.summary.starts_with("A volume of this archive is missing: "))
        << tested.summary;
}

TEST_F(UnreadableArchiveTest, DamageFoundByTheUnarchiverIsCalledDamage) {
    // A stored ZIP whose middle is file data: it lists, and unar's failure names the damage.
    const fs::path zip = out_.path() / "plain.zip";
    runTool(source_.path(), "7zz", {"a", "-bd", "-mx0", zip.string(), "a.txt", "big.bin"});
    std::string bytes = testing::readFile(zip);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) {
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    }
    writeFile(zip, bytes);
    const ArchiveListing viaUnar =
        testing::withExtractEngine(testing::listed(zip), ArchiveEngineKind::unarchiver);
    const ArchiveEngineError error = engineErrorOf([&] {
        (void)ArchiveEngineService().extract(
            viaUnar, {}, ExtractArchiveOptions(out_.path() / "dest", false), nullptr, {});
    });
    EXPECT_EQ(error.kind(), ArchiveEngineError::Case::processFailed);
    EXPECT_TRUE(error.payload().starts_with("This archive is damaged or truncated: plain.zip ("))
        << error.payload();
    EXPECT_EQ(error.payload().find("unar failed"), std::string::npos) << error.payload();
}

TEST_F(UnreadableArchiveTest, MissingVolumesAreFoundByTheirNumbering) {
    const fs::path folder = out_.path();
    for (const char* name : {"a.7z.001", "a.7z.003", "b.part1.rar", "b.part2.rar", "b.part4.rar",
                             "c.r00", "c.r01", "d.r00", "d.rar", "d.r01", "e.z01", "e.z02",
                             "f.zip", "g.7z.001", "g.7z.002"}) {
        writeFile(folder / name, "x");
    }
    const struct {
        std::string archive;
        std::string missing;
    } cases[] = {
        {"a.7z.001", "a.7z.002"}, {"a.7z.003", "a.7z.002"}, {"b.part1.rar", "b.part3.rar"},
        {"c.r00", "c.rar"},       {"d.rar", ""},            {"e.z01", "e.zip"},
        {"f.zip", ""},            {"g.7z.002", ""},
    };
    for (const auto& c : cases) {
        const auto missing = ArchiveFailureDiagnosis::missingVolume(folder / c.archive);
        EXPECT_EQ(missing ? missing->filename().string() : std::string(), c.missing) << c.archive;
    }
}

}  // namespace
}  // namespace kelvane
