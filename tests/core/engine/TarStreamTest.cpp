// Tarballs, packages and cpio archives read as their tar stream, with archives made by the
// real tools: exact names, links and times in every compression, damage as an error,
// extraction (whole, selected, the overwrite modes, the safety rules), the integrity test,
// conversion and cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ExtractionTestSupport.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::childProcessesNamed;
using testing::contentsBelow;
using testing::engineErrorOf;
using testing::entryWithID;
using testing::findEntry;
using testing::listed;
using testing::readFile;
using testing::runTool;
using testing::TemporaryFolder;

const fs::path kCorpus = fs::path(KELVANE_FIXTURES_DIR) / "corpus";
const std::string kName120 = std::string(120, 'n') + ".txt";
const std::string kFolder150 = std::string(150, 'f');
// Over 100 bytes (the plain tar name field) and over 255 (name and prefix together).
const std::string kLongPath = "deep/" + kFolder150 + "/" + kName120;
const std::string kOddNames[] = {"with blank.txt", "-dash.txt", "st*ar?[1].txt",
                                 "quo\"te'.txt", "\xc3\xbcn\xc3\xaf.txt"};

void writeFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

// The source tree every archive of these tests is made from.
class TarStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = work_.path() / "src";
        writeFile(source_ / kLongPath, "long");
        for (const std::string& name : kOddNames) writeFile(source_ / name, "odd " + name);
        writeFile(source_ / "file.txt", "linked data");
        fs::create_hard_link(source_ / "file.txt", source_ / "hard.txt");
        fs::create_symlink("file.txt", source_ / "sym.txt");
        fs::create_directories(source_ / "emptydir");
        // A fraction of a second the listing must not round up.
        runTool(source_, "touch", {"-d", "2020-01-02 03:04:05.9", "file.txt"});
    }

    // A PAX tar of the source tree at `name` below the work folder, compressed by bsdtar's
    // filter for the name's suffix, or by `compressor` ("zstd", "gzip", …) when given.
    fs::path makeTar(const std::string& name, const std::string& compressor = "") {
        const fs::path tar = work_.path() / (name + ".plain");
        runTool(source_, "bsdtar", {"--format=pax", "-cf", tar.string(), "."});
        const fs::path archive = work_.path() / name;
        if (compressor.empty()) {
            fs::rename(tar, archive);
        } else {
            runTool(work_.path(), compressor, {"-q", "-f", "-k", tar.string()});
            const std::string suffix = compressor == "gzip" ? ".gz"
                                       : compressor == "bzip2" ? ".bz2"
                                       : compressor == "xz"    ? ".xz"
                                                               : ".zst";
            fs::rename(tar.string() + suffix, archive);
            fs::remove(tar);
        }
        return archive;
    }

    TemporaryFolder work_;
    fs::path source_;
};

struct CompressionCase {
    std::string name;
    std::string compressor;
    std::string format;
};

TEST_F(TarStreamTest, EveryCompressionListsNamesLinksTimesAndFoldersExactly) {
    for (const CompressionCase& c :
         {CompressionCase{"a.tar.gz", "gzip", "TAR.GZ"}, CompressionCase{"a.tgz", "gzip", "TAR.GZ"},
          CompressionCase{"a.tar.bz2", "bzip2", "TAR.BZ2"},
          CompressionCase{"a.tbz2", "bzip2", "TAR.BZ2"}, CompressionCase{"a.tar.xz", "xz", "TAR.XZ"},
          CompressionCase{"a.txz", "xz", "TAR.XZ"}, CompressionCase{"a.tar.zst", "zstd", "TAR.ZST"},
          CompressionCase{"a.tzst", "zstd", "TAR.ZST"},
          CompressionCase{"inner-tar.gz", "gzip", "TAR.GZ"},
          CompressionCase{"inner-tar.zst", "zstd", "TAR.ZST"}}) {
        SCOPED_TRACE(c.name);
        const ArchiveListing listing = listed(makeTar(c.name, c.compressor));
        EXPECT_EQ(listing.info().formatName, c.format);
        EXPECT_EQ(listing.info().listEngine, ArchiveEngineKind::tarStream);
        EXPECT_EQ(listing.info().extractEngine, ArchiveEngineKind::tarStream);
        EXPECT_GT(listing.info().physicalSize, 0);
        EXPECT_EQ(listing.info().totalCompressedSize, listing.info().physicalSize);

        const ArchiveEntry* longEntry = findEntry(listing.entries(), kLongPath);
        ASSERT_NE(longEntry, nullptr) << "the PAX name was cut";
        EXPECT_EQ(longEntry->uncompressedSize(), 4);
        for (const std::string& name : kOddNames) EXPECT_NE(findEntry(listing.entries(), name), nullptr) << name;
        // Whichever of the two names the tar stores as the link shows the data's size.
        const ArchiveEntry* hard = findEntry(listing.entries(), "hard.txt");
        ASSERT_NE(hard, nullptr);
        EXPECT_FALSE(hard->isDirectory());
        EXPECT_EQ(hard->uncompressedSize(), 11);
        ASSERT_NE(findEntry(listing.entries(), "file.txt"), nullptr);
        EXPECT_EQ(findEntry(listing.entries(), "file.txt")->uncompressedSize(), 11);
        std::int64_t shownBytes = 0;
        for (const ArchiveEntry& entry : listing.entries()) shownBytes += entry.uncompressedSize();
        EXPECT_EQ(listing.info().totalUncompressedSize, shownBytes);
        ASSERT_NE(findEntry(listing.entries(), "sym.txt"), nullptr);
        const ArchiveEntry* empty = findEntry(listing.entries(), "emptydir");
        ASSERT_NE(empty, nullptr);
        EXPECT_TRUE(empty->isDirectory());

        // 03:04:05.9 local time stays in second 05, as bsdtar shows it.
        const ArchiveEntry* file = findEntry(listing.entries(), "file.txt");
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->modifiedDate().has_value());
        const std::time_t seconds = std::chrono::system_clock::to_time_t(
            std::chrono::time_point_cast<std::chrono::system_clock::duration>(*file->modifiedDate()));
        std::tm local{};
        localtime_r(&seconds, &local);
        EXPECT_EQ(local.tm_sec, 5);
        EXPECT_EQ(local.tm_min, 4);

        // Files: the long one, the odd ones, file, hard, sym.
        EXPECT_EQ(listing.info().fileCount, 1 + std::ssize(kOddNames) + 3);
    }
}

TEST_F(TarStreamTest, FoldersOnlyImpliedByPathsAreBrowsable) {
    const fs::path archive = work_.path() / "implied.tar.xz";
    runTool(source_, "bsdtar", {"-cJf", archive.string(), kLongPath});
    const ArchiveListing listing = listed(archive);
    EXPECT_EQ(listing.info().fileCount, 1);
    ASSERT_TRUE(listing.tree());
    EXPECT_EQ(listing.info().folderCount, 2);  // deep and the long folder
}

TEST_F(TarStreamTest, DamagedTarballsFailWithTheToolsMessageAndLeaveNothingRunning) {
    const fs::path good = makeTar("good.tar.gz", "gzip");
    std::string bytes = readFile(good);
    const fs::path truncated = work_.path() / "truncated.tar.gz";
    writeFile(truncated, bytes.substr(0, bytes.size() / 2));
    const fs::path corrupted = work_.path() / "corrupted.tar.gz";
    for (std::size_t i = 40; i < bytes.size() - 30; i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    writeFile(corrupted, bytes);
    const fs::path garbage = work_.path() / "garbage.tar.zst";
    writeFile(garbage, testing::incompressibleBytes(5000));

    for (const fs::path& archive : {truncated, corrupted, garbage}) {
        SCOPED_TRACE(archive.filename().string());
        const ArchiveEngineError error = engineErrorOf([&] { (void)listed(archive); });
        EXPECT_EQ(error.kind(), ArchiveEngineError::Case::processFailed);
        EXPECT_FALSE(error.errorDescription().empty());
        EXPECT_EQ(error.errorDescription().find("nothing was thrown"), std::string::npos);
        for (const std::string_view tool : {"7zz", "bsdtar", "lsar"}) {
            EXPECT_TRUE(childProcessesNamed(::getpid(), tool).empty()) << tool;
        }
    }
}

TEST_F(TarStreamTest, ACompressedPlainFileStillListsAsItsOneFile) {
    writeFile(work_.path() / "notes.txt", std::string(2000, 'z'));
    runTool(work_.path(), "gzip", {"-k", "notes.txt"});
    const ArchiveListing listing = listed(work_.path() / "notes.txt.gz");
    ASSERT_EQ(listing.entries().size(), 1U);
    EXPECT_EQ(listing.entries().front().id(), "notes.txt");
    EXPECT_NE(listing.info().listEngine, ArchiveEngineKind::tarStream);
}

TEST_F(TarStreamTest, PackagesAndCpioListTheirFiles) {
    // A .deb is an ar archive of these three members.
    writeFile(work_.path() / "deb/debian-binary", "2.0\n");
    runTool(source_, "bsdtar", {"-cJf", (work_.path() / "deb/control.tar.xz").string(), "file.txt"});
    runTool(source_, "bsdtar", {"-cJf", (work_.path() / "deb/data.tar.xz").string(), "."});
    const fs::path deb = work_.path() / "pkg.deb";
    runTool(work_.path() / "deb", "bsdtar",
            {"--format=ar", "-cf", deb.string(), "debian-binary", "control.tar.xz", "data.tar.xz"});
    const ArchiveListing debListing = listed(deb);
    EXPECT_EQ(debListing.info().formatName, "DEB");
    EXPECT_EQ(testing::idsOf(debListing.entries()),
              (std::vector<std::string>{"debian-binary", "control.tar.xz", "data.tar.xz"}));

    // A gzip'd cpio (as an initial ram disk is) lists its files, not one compressed file.
    const fs::path cpio = work_.path() / "initrd.cpio";
    runTool(source_, "bsdtar", {"--format=newc", "-cf", cpio.string(), "file.txt", "sym.txt", kLongPath});
    runTool(work_.path(), "gzip", {"-k", "initrd.cpio"});
    for (const fs::path& archive : {cpio, fs::path(cpio.string() + ".gz")}) {
        SCOPED_TRACE(archive.filename().string());
        const ArchiveListing listing = listed(archive);
        EXPECT_EQ(listing.info().listEngine, ArchiveEngineKind::tarStream);
        EXPECT_NE(findEntry(listing.entries(), kLongPath), nullptr);
        EXPECT_NE(findEntry(listing.entries(), "sym.txt"), nullptr);
    }

    for (const std::string rpm : {"rpm/test_read_format_cpio_svr4_gzip_rpm.rpm",
                                  "rpm/test_read_format_cpio_svr4_bzip2_rpm.rpm"}) {
        SCOPED_TRACE(rpm);
        const ArchiveListing listing = listed(kCorpus / rpm);
        EXPECT_EQ(listing.info().formatName, "RPM");
        EXPECT_EQ(listing.entries().size(), 3U);  // as bsdtar lists it
        for (const ArchiveEntry& entry : listing.entries()) {
            EXPECT_FALSE(entry.id().ends_with(".cpio")) << entry.id();
        }
    }
    for (const std::string sample : {"cpio/test_gcpio_compat_ref.newc",
                                     "cpio/test_option_f.cpio"}) {
        SCOPED_TRACE(sample);
        // The samples named by their cpio flavour are listed by 7-Zip as before; the one
        // named .cpio by the tar stream.
        const ArchiveListing listing = listed(kCorpus / sample);
        EXPECT_FALSE(listing.entries().empty());
    }
}

TEST_F(TarStreamTest, WholeExtractionKeepsLongNamesAndHardLinks) {
    for (const auto& [name, compressor] :
         {std::pair<std::string, std::string>{"x.tar.gz", "gzip"}, {"x.tar.zst", "zstd"}}) {
        SCOPED_TRACE(name);
        const ArchiveListing listing = listed(makeTar(name, compressor));
        const fs::path out = work_.path() / ("out-" + name);
        ExtractArchiveOptions options{out};
        options.smartSubfolder = false;
        std::vector<double> fractions;
        const fs::path written = ArchiveEngineService().extract(
            listing, {}, options, nullptr,
            [&](const ProgressReport& report) { fractions.push_back(report.fraction); });
        EXPECT_EQ(written, out);
        EXPECT_EQ(contentsBelow(out), contentsBelow(source_));
        EXPECT_TRUE(fs::equivalent(out / "hard.txt", out / "file.txt"));
        ASSERT_FALSE(fractions.empty());
        EXPECT_EQ(fractions.back(), 1.0);
        for (const double fraction : fractions) EXPECT_LE(fraction, 1.0);
    }
}

TEST_F(TarStreamTest, RenamingExtractionReportsProgressWhileItRuns) {
    // 7-Zip, which does the renaming, refuses to write a symbolic link beside one of the same
    // name ("Dangerous link via another link"), so this archive holds none.
    fs::remove(source_ / "sym.txt");
    const ArchiveListing listing = listed(makeTar("rename.tar.gz", "gzip"));
    const fs::path out = work_.path() / "out";
    ExtractArchiveOptions options{out};
    options.smartSubfolder = false;
    (void)ArchiveEngineService().extract(listing, {}, options, nullptr, {});

    options.overwriteMode = ExtractOverwriteMode::autoRename;
    std::vector<ProgressReport> reports;
    (void)ArchiveEngineService().extract(
        listing, {}, options, nullptr,
        [&](const ProgressReport& report) { reports.push_back(report); });
    ASSERT_GE(reports.size(), 2U);
    EXPECT_EQ(reports.back().fraction, 1.0);
    const auto running = std::find_if(reports.begin(), reports.end(), [](const ProgressReport& r) {
        return r.fraction > 0.0 && r.fraction < 1.0 && !r.detail.empty();
    });
    EXPECT_NE(running, reports.end()) << "no progress before the end";
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_LE(reports[i - 1].fraction, reports[i].fraction);
    }
    // Every file is there twice now: the first copy kept, the second renamed beside it.
    EXPECT_EQ(readFile(out / "file.txt"), "linked data");
    EXPECT_GT(contentsBelow(out).size(), contentsBelow(source_).size());
}

TEST_F(TarStreamTest, SelectionsAreLiteralAndOverwriteModesHold) {
    writeFile(source_ / "stXar.[1].txt", "must not match the wildcard name");
    const ArchiveListing listing = listed(makeTar("sel.tar.xz", "xz"));
    const fs::path out = work_.path() / "out";
    ExtractArchiveOptions options{out};
    (void)ArchiveEngineService().extract(listing, {entryWithID(listing, "st*ar?[1].txt"),
                                                   entryWithID(listing, "-dash.txt")},
                                         options, nullptr, {});
    EXPECT_EQ(contentsBelow(out), (std::map<std::string, std::string>{
                                      {"st*ar?[1].txt", "odd st*ar?[1].txt"},
                                      {"-dash.txt", "odd -dash.txt"}}));

    writeFile(out / "-dash.txt", "mine");
    const std::vector<ArchiveEntry> dash{entryWithID(listing, "-dash.txt")};
    options.overwriteMode = ExtractOverwriteMode::skipExisting;
    (void)ArchiveEngineService().extract(listing, dash, options, nullptr, {});
    EXPECT_EQ(readFile(out / "-dash.txt"), "mine");
    options.overwriteMode = ExtractOverwriteMode::autoRename;
    (void)ArchiveEngineService().extract(listing, dash, options, nullptr, {});
    EXPECT_EQ(readFile(out / "-dash.txt"), "mine");
    EXPECT_EQ(contentsBelow(out).size(), 3U);  // the renamed copy beside it
    options.overwriteMode = ExtractOverwriteMode::overwrite;
    (void)ArchiveEngineService().extract(listing, dash, options, nullptr, {});
    EXPECT_EQ(readFile(out / "-dash.txt"), "odd -dash.txt");

    // A hard link chosen alone brings its target, so it never dangles; its preview copy
    // holds the content.
    const fs::path linkOut = work_.path() / "link-out";
    (void)ArchiveEngineService().extract(listing, {entryWithID(listing, "hard.txt")},
                                         ExtractArchiveOptions{linkOut}, nullptr, {});
    EXPECT_EQ(readFile(linkOut / "hard.txt"), "linked data");
    const fs::path cached = ArchiveEngineService().extractSingleFileToCache(
        listing, entryWithID(listing, "hard.txt"), std::nullopt, work_.path() / "cache", nullptr);
    EXPECT_EQ(readFile(cached), "linked data");

    // A folder selection takes everything below it.
    const fs::path folderOut = work_.path() / "folder-out";
    (void)ArchiveEngineService().extract(listing, {entryWithID(listing, "deep")},
                                         ExtractArchiveOptions{folderOut}, nullptr, {});
    EXPECT_EQ(readFile(folderOut / kLongPath), "long");
}

TEST_F(TarStreamTest, ThreeHundredSelectedEntriesOfMany) {
    for (int i = 0; i < 400; ++i) writeFile(source_ / "many" / ("f" + std::to_string(i) + ".txt"), std::to_string(i));
    const ArchiveListing listing = listed(makeTar("many.tar.gz", "gzip"));
    std::vector<ArchiveEntry> selection;
    for (int i = 0; i < 300; ++i) selection.push_back(entryWithID(listing, "many/f" + std::to_string(i) + ".txt"));
    const fs::path out = work_.path() / "out";
    (void)ArchiveEngineService().extract(listing, selection, ExtractArchiveOptions{out}, nullptr, {});
    const auto written = contentsBelow(out);
    EXPECT_EQ(written.size(), 301U);  // the files and their folder
    EXPECT_EQ(written.at("many/f299.txt"), "299");
    EXPECT_FALSE(written.contains("many/f300.txt"));
}

TEST_F(TarStreamTest, NoOwnerSetUserIdOrDeviceIsRestored) {
    fs::create_directories(work_.path() / "special");
    writeFile(work_.path() / "special/tool", "#!/bin/sh\n");
    ::chmod((work_.path() / "special/tool").c_str(), 04755);
    const bool root = ::geteuid() == 0;
    if (root) {
        runTool(work_.path() / "special", "mknod", {"null-device", "c", "1", "3"});
        runTool(work_.path() / "special", "chown", {"12345:12345", "tool"});
    }
    const fs::path archive = work_.path() / "special.tar.gz";
    runTool(work_.path() / "special", "bsdtar", {"-czf", archive.string(), "."});
    const ArchiveListing listing = listed(archive);
    const fs::path out = work_.path() / "out";
    ExtractArchiveOptions options{out};
    options.smartSubfolder = false;
    (void)ArchiveEngineService().extract(listing, {}, options, nullptr, {});
    struct stat status {};
    ASSERT_EQ(::lstat((out / "tool").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & (S_ISUID | S_ISGID), 0U);
    EXPECT_EQ(status.st_uid, ::geteuid());
    EXPECT_FALSE(fs::exists(fs::symlink_status(out / "null-device")));
}

TEST_F(TarStreamTest, IntegrityTestCountsTheFilesReadAndFailsOnDamage) {
    const fs::path archive = makeTar("t.tar.bz2", "bzip2");
    const ArchiveListing listing = listed(archive);
    const ArchiveTestResult passed = ArchiveEngineService().testArchive(listing, std::nullopt, nullptr, {});
    EXPECT_TRUE(passed.passed);
    EXPECT_EQ(passed.testedEntries, listing.info().fileCount);
    EXPECT_EQ(passed.summary, "All " + std::to_string(listing.info().fileCount) +
                                  " files passed integrity verification.");

    std::string bytes = readFile(archive);
    bytes.resize(bytes.size() - 40);
    writeFile(archive, bytes);
    const ArchiveTestResult failed = ArchiveEngineService().testArchive(listing, std::nullopt, nullptr, {});
    EXPECT_FALSE(failed.passed);
    EXPECT_FALSE(failed.summary.empty());
}

TEST_F(TarStreamTest, ConversionCarriesLongNamesAndLinks) {
    const ArchiveListing listing = listed(makeTar("c.tar.zst", "zstd"));
    CreateArchiveOptions options;
    options.format = ArchiveCreateFormat::zip;
    const fs::path zip = ArchiveEngineService().convertArchive(listing, work_.path() / "c.zip", options,
                                                               std::nullopt, nullptr, {});
    const ArchiveListing converted = listed(zip);
    EXPECT_NE(findEntry(converted.entries(), kLongPath), nullptr);
    const ArchiveEntry* hard = findEntry(converted.entries(), "hard.txt");
    ASSERT_NE(hard, nullptr);
    EXPECT_EQ(hard->uncompressedSize(), 11);  // the content, not a dangling link
}

TEST_F(TarStreamTest, CancellingABigListingStopsEveryToolOfTheRoute) {
    // Symbolic links need nothing on disk, so bsdtar writes 60,000 of them from a manifest.
    {
        std::ofstream manifest(work_.path() / "m.mtree");
        manifest << "#mtree\n";
        for (int i = 0; i < 60000; ++i) manifest << "./d" << i % 50 << "/l" << i << " type=link link=t\n";
    }
    const fs::path archive = work_.path() / "big.tar.gz";
    runTool(work_.path(), "bsdtar", {"-czf", archive.string(), "@m.mtree"});

    const auto token = std::make_shared<ProcessCancellationToken>();
    std::atomic<std::int64_t> lastCount{0};
    const ArchiveEngineError error = engineErrorOf([&] {
        (void)ArchiveEngineService().listArchive(archive, std::nullopt, token, [&](std::int64_t count) {
            lastCount = count;
            token->cancel();
        });
    });
    EXPECT_EQ(error.kind(), ArchiveEngineError::Case::cancelled);
    EXPECT_EQ(lastCount.load(), 2500);
    for (const std::string_view tool : {"7zz", "bsdtar", "lsar"}) {
        EXPECT_TRUE(childProcessesNamed(::getpid(), tool).empty()) << tool;
    }

    // Uncancelled, the count arrives every 2500 files and the listing is whole.
    std::vector<std::int64_t> counts;
    const ArchiveListing listing = ArchiveEngineService().listArchive(
        archive, std::nullopt, nullptr, [&](std::int64_t count) { counts.push_back(count); });
    EXPECT_EQ(listing.info().fileCount, 60000);
    ASSERT_EQ(counts.size(), 24U);
    EXPECT_EQ(counts.front(), 2500);
}

}  // namespace
}  // namespace kelvane
