// Extraction through 7-Zip and the unarchiver with real archives: whole archives and
// selections, overwrite modes, smart subfolders, passwords, failures and cancellation.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ExtractionTestSupport.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiveExtractor.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::contentsBelow;
using testing::engineErrorOf;
using testing::entryWithID;
using testing::listed;
using testing::runTool;
using testing::withExtractEngine;
using Contents = std::map<std::string, std::string>;

const fs::path kCorpus = fs::path(KELVANE_FIXTURES_DIR) / "corpus";

// Every report of one run, in order.
class ProgressLog final {
public:
    ProgressHandler callback() {
        return [this](const ProgressReport& report) {
            const std::lock_guard guard(lock_);
            reports_.push_back(report);
        };
    }
    [[nodiscard]] std::vector<ProgressReport> reports() const {
        const std::lock_guard guard(lock_);
        return reports_;
    }

private:
    mutable std::mutex lock_;
    std::vector<ProgressReport> reports_;
};

void expectHonestProgress(const ProgressLog& log) {
    const auto reports = log.reports();
    ASSERT_FALSE(reports.empty());
    for (const ProgressReport& report : reports) {
        EXPECT_GE(report.fraction, 0.0);
        EXPECT_LE(report.fraction, 1.0);
    }
    EXPECT_EQ(reports.back(), (ProgressReport{1.0, ""}));
}

class ExtractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("docs/readme.md", "read me\n");
        source_.write("docs/sub/deep.txt", std::string(3000, 'd'));
        source_.write("docs/café ☕.txt", "unicode\n");
        source_.write("top.txt", "top\n");
        source_.write(" spaced .txt", "spaces\n");
    }

    // The sources as they should come out of a whole-archive extraction.
    static Contents sourceContents() {
        return {{" spaced .txt", "spaces\n"},
                {"docs", "/"},
                {"docs/café ☕.txt", "unicode\n"},
                {"docs/readme.md", "read me\n"},
                {"docs/sub", "/"},
                {"docs/sub/deep.txt", std::string(3000, 'd')},
                {"top.txt", "top\n"}};
    }

    fs::path makeArchive(const std::string& name, std::vector<std::string> extra = {}) {
        const fs::path archive = out_.path() / name;
        std::vector<std::string> arguments{"a"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        for (const std::string& item : {archive.string(), std::string("docs"),
                                        std::string("top.txt"), std::string(" spaced .txt")}) {
            arguments.push_back(item);
        }
        runTool(source_.path(), "7zz", arguments);
        return archive;
    }

    fs::path makeTarGz(const std::string& name) {
        const fs::path archive = out_.path() / name;
        runTool(source_.path(), "bsdtar",
                {"-czf", archive.string(), "docs", "top.txt", " spaced .txt"});
        return archive;
    }

    fs::path destination(const std::string& name = "out") const { return target_.path() / name; }

    // Extracts the whole archive into destination(name), without a smart subfolder.
    void extractWithPassword(const ArchiveListing& listing, std::optional<std::string> password,
                             const std::string& name) const {
        (void)ArchiveExtractor::extract(
            listing, {},
            ExtractArchiveOptions(destination(name), false, ExtractOverwriteMode::overwrite,
                                  std::move(password)),
            nullptr, {});
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
    testing::TemporaryFolder target_;
};

// --- Names ---

TEST(ArchiveBaseNameTest, DropsArchiveSuffixesAndFallsBackToExtracted) {
    const std::pair<const char*, const char*> cases[] = {{"/a/Photos.TAR.GZ", "Photos"},
                                                         {"/a/set.part01.rar", "set"},
                                                         {"/a/Set.PART1.RAR", "Set"},
                                                         {"/a/x.part001.rar", "x"},
                                                         {"/a/notes.zip", "notes"},
                                                         {"/a/backup.tgz", "backup"},
                                                         {"/a/.tar.gz", "Extracted"},
                                                         {"/a/.zip", "Extracted"},
                                                         {"/a/README", "README"},
                                                         {"/a/b.tar.zst", "b"},
                                                         {"/a/set.part2.rar", "set.part2"},
                                                         {"/a/İstanbul.TAR.XZ", "İstanbul"},
                                                         {"/a/archive.7z.001", "archive.7z"}};
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(ArchiveEngineService::cleanArchiveBaseName(path), expected) << path;
    }
}

TEST(UnarGlobTest, EscapesEveryWildcardCharacter) {
    EXPECT_EQ(ArchiveEngineService::escapeUnarGlob("a[1]*.txt"), "a\\[1\\]\\*.txt");
    EXPECT_EQ(ArchiveEngineService::escapeUnarGlob("dir\\what?.md"), "dir\\\\what\\?.md");
    EXPECT_EQ(ArchiveEngineService::escapeUnarGlob("plain/name.txt"), "plain/name.txt");
}

TEST(UnarResultTest, ClassifiesFailures) {
    ArchiveExtractor::validateUnarResult(ProcessResult{0, "Wrong password", ""}, true);
    const struct {
        ProcessResult result;
        bool hadPassword;
        ArchiveEngineError expected;
    } cases[] = {
        {{1, "x.txt... Failed! (Missing or WRONG password)", ""},
         true,
         ArchiveEngineError::wrongPassword()},
        {{2, "This archive requires a Password to unpack.", ""},
         false,
         ArchiveEngineError::passwordRequired()},
        {{1, "", "Decryption failed"}, false, ArchiveEngineError::passwordRequired()},
        {{1, "Failed! (Could not create directory)", " \n broken archive \n"},
         false,
         ArchiveEngineError::processFailed("broken archive")},
        {{3, "Extraction failed", ""},
         true,
         ArchiveEngineError::processFailed("unar failed (exit 3)")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            engineErrorOf([&] { ArchiveExtractor::validateUnarResult(c.result, c.hadPassword); }),
            c.expected)
            << c.result.stdoutBytes;
    }
}

// --- Destination ---

TEST_F(ExtractionTest, SmartSubfolderOnlyForWholeArchivesWithSeveralTopItems) {
    const ArchiveListing loose = listed(makeArchive("Project.7z"));
    source_.write("single/inner.txt", "x");
    runTool(source_.path(), "7zz", {"a", (out_.path() / "one.zip").string(), "single"});
    const ArchiveListing rooted = listed(out_.path() / "one.zip");
    const ArchiveEntry top = entryWithID(loose, "top.txt");

    const ExtractArchiveOptions smart(destination());
    const ExtractArchiveOptions plain(destination(), false);
    const ArchiveEngineService engine;
    EXPECT_EQ(engine.resolveDestinationDirectory(loose, {}, smart), destination() / "Project");
    EXPECT_EQ(engine.resolveDestinationDirectory(loose, {}, plain), destination());
    EXPECT_EQ(engine.resolveDestinationDirectory(loose, {top}, smart), destination());
    EXPECT_EQ(engine.resolveDestinationDirectory(rooted, {}, smart), destination());

    // The rule holds on disk too, for both tools.
    EXPECT_EQ(engine.extract(loose, {}, smart, nullptr, {}), destination() / "Project");
    EXPECT_EQ(contentsBelow(destination() / "Project"), sourceContents());
    const ArchiveListing viaUnar = withExtractEngine(rooted, ArchiveEngineKind::unarchiver);
    EXPECT_EQ(engine.extract(viaUnar, {}, ExtractArchiveOptions(destination("u")), nullptr, {}),
              destination("u"));
    EXPECT_EQ(contentsBelow(destination("u")),
              (Contents{{"single", "/"}, {"single/inner.txt", "x"}}));
}

TEST_F(ExtractionTest, SmartSubfolderOfASplitRarSetIsNamedAfterTheSet) {
    // Several top-level names, extracted by the unarchiver from the first volume.
    for (int part = 1; part <= 4; ++part) {
        fs::copy_file(kCorpus / ("rar4/test_read_format_rar_multivolume.part000" +
                                 std::to_string(part) + ".rar"),
                      out_.path() / ("Project.part" + std::to_string(part) + ".rar"));
    }
    const ArchiveListing listing = listed(out_.path() / "Project.part1.rar");
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);
    ASSERT_FALSE(listing.tree()->hasSingleRootFolder());
    const fs::path where =
        ArchiveExtractor::extract(listing, {}, ExtractArchiveOptions(destination()), nullptr, {});
    EXPECT_EQ(where, destination() / "Project");
    const Contents got = contentsBelow(where);
    for (const ArchiveEntry& entry : listing.entries()) {
        EXPECT_TRUE(got.contains(std::string(entry.id()))) << entry.id();
    }
}

// --- Whole archives and selections ---

TEST_F(ExtractionTest, SevenZipExtractsEverythingWithHonestProgressAndNoListFileLeft) {
    const testing::LoggingToolFolder tools({"7zz"});
    const testing::TemporaryFolder temporary;
    testing::ScopedEnvironment environment;
    environment.set("TMPDIR", temporary.path().string());
    for (const std::string name : {"all.zip", "all.7z", "all.tar"}) {
        const ArchiveListing listing = listed(makeArchive(name));
        ProgressLog progress;
        const fs::path where =
            ArchiveExtractor::extract(listing, {}, ExtractArchiveOptions(destination(name), false),
                                      nullptr, progress.callback(), tools.searchFolders());
        EXPECT_EQ(contentsBelow(where), sourceContents()) << name;
        expectHonestProgress(progress);

        // A selection goes through a list file, which is gone afterwards.
        const ArchiveEntry docs = entryWithID(listing, "docs");
        const fs::path picked =
            ArchiveExtractor::extract(listing, {docs, entryWithID(listing, " spaced .txt")},
                                      ExtractArchiveOptions(destination(name + "-picked")), nullptr,
                                      {}, tools.searchFolders());
        Contents expected = sourceContents();
        expected.erase("top.txt");
        EXPECT_EQ(contentsBelow(picked), expected) << name;
    }
    EXPECT_TRUE(fs::is_empty(temporary.path()));
    // The whole archive takes no list file; a selection takes one, after the archive.
    const auto runs = tools.runs();
    ASSERT_EQ(runs.size(), 6U);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const bool withListFile =
            runs[i].back().starts_with("@" + (temporary.path() / "kelvane-extract-").string());
        EXPECT_EQ(withListFile, i % 2 == 1) << runs[i].back();
    }
}

TEST_F(ExtractionTest, SelectedNamesAreTakenLiterallyNotAsWildcards) {
    source_.write("a*.txt", "star");
    source_.write("ab.txt", "ab");
    source_.write("abc.txt", "abc");
    source_.write("a?c.txt", "question");
    source_.write("[x].txt", "bracket");
    source_.write("x.txt", "x");
    const fs::path archive = out_.path() / "names.zip";
    // bsdtar stores the names as they are; 7-Zip would read them as patterns.
    runTool(source_.path(), "bsdtar",
            {"--format", "zip", "-cf", archive.string(), "a*.txt", "ab.txt", "abc.txt", "a?c.txt",
             "[x].txt", "x.txt"});
    const ArchiveListing sevenZip = listed(archive);
    // Listed by 7-Zip, so no entry has an index: the unarchiver runs in name mode.
    const ArchiveListing unarchiver = withExtractEngine(sevenZip, ArchiveEngineKind::unarchiver);
    for (const ArchiveListing* listing : {&sevenZip, &unarchiver}) {
        const std::string engine(listing->info().extractEngine.rawValue());
        const fs::path a = destination(engine + "-a");
        (void)ArchiveExtractor::extract(*listing, {entryWithID(*listing, "a*.txt")},
                                        ExtractArchiveOptions(a), nullptr, {});
        EXPECT_EQ(contentsBelow(a), (Contents{{"a*.txt", "star"}})) << engine;

        const fs::path b = destination(engine + "-b");
        (void)ArchiveExtractor::extract(
            *listing, {entryWithID(*listing, "a?c.txt"), entryWithID(*listing, "[x].txt")},
            ExtractArchiveOptions(b), nullptr, {});
        EXPECT_EQ(contentsBelow(b), (Contents{{"[x].txt", "bracket"}, {"a?c.txt", "question"}}))
            << engine;
    }
}

TEST_F(ExtractionTest, StarsInArchiveAndFolderNamesAreTakenLiterally) {
    source_.write("mine.txt", "mine");
    source_.write("more.txt", "more");
    source_.write("other.txt", "other");
    runTool(source_.path(), "bsdtar",
            {"--format", "zip", "-cf", (out_.path() / "x*.zip").string(), "mine.txt", "more.txt"});
    runTool(source_.path(), "bsdtar",
            {"--format", "zip", "-cf", (out_.path() / "xy.zip").string(), "other.txt"});
    const ArchiveListing listing = listed(out_.path() / "x*.zip");
    // The smart subfolder is named "x*": 7-Zip would read that as the archive's name.
    const fs::path where =
        ArchiveExtractor::extract(listing, {}, ExtractArchiveOptions(destination()), nullptr, {});
    EXPECT_EQ(where, destination() / "x*");
    EXPECT_EQ(contentsBelow(destination()),
              (Contents{{"x*", "/"}, {"x*/mine.txt", "mine"}, {"x*/more.txt", "more"}}));

    // A selection into a folder with a star, from a relative archive path.
    const fs::path starred = destination("a*b");
    const fs::path previous = fs::current_path();
    fs::current_path(out_.path());
    const ArchiveListing relative = listed("x*.zip");
    (void)ArchiveExtractor::extract(relative, {entryWithID(relative, "more.txt")},
                                    ExtractArchiveOptions(starred), nullptr, {});
    fs::current_path(previous);
    EXPECT_EQ(contentsBelow(starred), (Contents{{"more.txt", "more"}}));
}

TEST_F(ExtractionTest, UnarchiverExtractsWholeArchivesAndIndexedSelections) {
    const ArchiveListing listing = testing::listedByUnarchiverWhenTarGz(makeTarGz("all.tar.gz"));
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);
    const testing::LoggingToolFolder tools({"unar"});

    ProgressLog progress;
    (void)ArchiveExtractor::extract(listing, {}, ExtractArchiveOptions(destination(), false),
                                    nullptr, progress.callback(), tools.searchFolders());
    EXPECT_EQ(contentsBelow(destination()), sourceContents());
    expectHonestProgress(progress);

    // A folder selection: its files are the targets, by index.
    const fs::path picked = destination("picked");
    (void)ArchiveExtractor::extract(listing, {entryWithID(listing, "docs/sub")},
                                    ExtractArchiveOptions(picked), nullptr, {},
                                    tools.searchFolders());
    EXPECT_EQ(contentsBelow(picked), (Contents{{"docs", "/"},
                                               {"docs/sub", "/"},
                                               {"docs/sub/deep.txt", std::string(3000, 'd')}}));
    const auto runs = tools.runs();
    ASSERT_EQ(runs.size(), 2U);
    EXPECT_EQ(std::count(runs[0].begin(), runs[0].end(), "-i"), 0);
    const std::string deepIndex =
        std::to_string(*entryWithID(listing, "docs/sub/deep.txt").xadIndex());
    EXPECT_EQ(runs[1].back(), deepIndex);
    EXPECT_EQ(runs[1].end()[-3], "-i");
}

TEST_F(ExtractionTest, UnarchiverSendsSelectorsInBatchesOf350) {
    for (int i = 0; i < 351; ++i) source_.write("many/f" + std::to_string(1000 + i) + ".txt", "n");
    const fs::path archive = out_.path() / "many.tar.gz";
    runTool(source_.path(), "bsdtar", {"-czf", archive.string(), "many"});
    const ArchiveListing listing = testing::listedByUnarchiverWhenTarGz(archive);
    std::vector<ArchiveEntry> files;
    for (const ArchiveEntry& entry : listing.entries()) {
        if (!entry.isDirectory()) files.push_back(entry);
    }
    ASSERT_EQ(files.size(), 351U);
    const testing::LoggingToolFolder tools({"unar"});
    ProgressLog progress;
    (void)ArchiveExtractor::extract(listing, files, ExtractArchiveOptions(destination()), nullptr,
                                    progress.callback(), tools.searchFolders());

    EXPECT_EQ(contentsBelow(destination() / "many").size(), 351U);
    const auto runs = tools.runs();
    ASSERT_EQ(runs.size(), 2U);
    const auto selectorsAfterArchive = [&](const std::vector<std::string>& run) {
        const auto at = std::find(run.begin(), run.end(), archive.string());
        return static_cast<std::size_t>(run.end() - at - 1);
    };
    EXPECT_EQ(selectorsAfterArchive(runs[0]), 350U);
    EXPECT_EQ(selectorsAfterArchive(runs[1]), 1U);
    for (const auto& run : runs) EXPECT_EQ(std::count(run.begin(), run.end(), "-i"), 1);
    expectHonestProgress(progress);
}

TEST_F(ExtractionTest, FoldersWithoutFilesBecomeTheUnarchiverTargets) {
    fs::create_directories(source_.path() / "empty/inner");
    const fs::path archive = out_.path() / "empty.tar.gz";
    runTool(source_.path(), "bsdtar", {"-czf", archive.string(), "empty", "top.txt"});
    const ArchiveListing listing = testing::listedByUnarchiverWhenTarGz(archive);
    const testing::LoggingToolFolder tools({"unar"});
    (void)ArchiveExtractor::extract(listing, {entryWithID(listing, "empty")},
                                    ExtractArchiveOptions(destination()), nullptr, {},
                                    tools.searchFolders());
    EXPECT_EQ(contentsBelow(destination()), (Contents{{"empty", "/"}, {"empty/inner", "/"}}));
    ASSERT_EQ(tools.runs().size(), 1U);
    EXPECT_EQ(tools.runs()[0].back(),
              std::to_string(*entryWithID(listing, "empty/inner").xadIndex()));
}

// --- Overwrite modes ---

TEST_F(ExtractionTest, OverwriteModesOfBothTools) {
    const ArchiveListing sevenZip = listed(makeArchive("modes.zip"));
    const ArchiveListing unarchiver = withExtractEngine(sevenZip, ArchiveEngineKind::unarchiver);
    for (const ArchiveListing* listing : {&sevenZip, &unarchiver}) {
        for (const ExtractOverwriteMode mode : ExtractOverwriteMode::allCases()) {
            const std::string label = std::string(listing->info().extractEngine.rawValue()) + "-" +
                                      std::string(mode.rawValue());
            const fs::path where = destination(label);
            fs::create_directories(where);
            { std::ofstream(where / "top.txt") << "mine"; }
            (void)ArchiveExtractor::extract(*listing, {entryWithID(*listing, "top.txt")},
                                            ExtractArchiveOptions(where, true, mode), nullptr, {});
            const Contents got = contentsBelow(where);
            if (mode == ExtractOverwriteMode::overwrite) {
                EXPECT_EQ(got, (Contents{{"top.txt", "top\n"}})) << label;
            } else if (mode == ExtractOverwriteMode::skipExisting) {
                EXPECT_EQ(got, (Contents{{"top.txt", "mine"}})) << label;
            } else {
                ASSERT_EQ(got.size(), 2U) << label;
                EXPECT_EQ(got.at("top.txt"), "mine") << label;
                const auto renamed = std::find_if(got.begin(), got.end(), [](const auto& item) {
                    return item.first != "top.txt";
                });
                EXPECT_EQ(renamed->second, "top\n") << label;
            }
        }
    }
}

// --- Passwords ---

TEST_F(ExtractionTest, PasswordsThroughSevenZip) {
    const ArchiveListing listing = listed(makeArchive("secret.7z", {"-psecret"}));
    ASSERT_TRUE(listing.info().hasEncryptedEntries);
    const auto attempt = [&](std::optional<std::string> password, const std::string& name) {
        return engineErrorOf([&] { extractWithPassword(listing, password, name); });
    };
    EXPECT_EQ(attempt(std::nullopt, "none"), ArchiveEngineError::passwordRequired());
    EXPECT_EQ(attempt("", "empty"), ArchiveEngineError::passwordRequired());
    EXPECT_EQ(attempt("wrong", "wrong"), ArchiveEngineError::wrongPassword());
    extractWithPassword(listing, "secret", "right");
    EXPECT_EQ(contentsBelow(destination("right")), sourceContents());
}

TEST_F(ExtractionTest, PasswordsThroughTheUnarchiver) {
    const ArchiveListing listing =
        listed(kCorpus / "rar5/test_read_format_rar5_solid_encrypted.rar");
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);
    const auto attempt = [&](std::optional<std::string> password, const std::string& name) {
        return engineErrorOf([&] { extractWithPassword(listing, password, name); });
    };
    EXPECT_EQ(attempt(std::nullopt, "none"), ArchiveEngineError::passwordRequired());
    EXPECT_EQ(attempt("wrong", "wrong"), ArchiveEngineError::wrongPassword());
    extractWithPassword(listing, "password", "right");
    EXPECT_EQ(contentsBelow(destination("right")).size(), 4U);
}

// --- Failures ---

TEST_F(ExtractionTest, MissingToolsAndBrokenArchives) {
    const ArchiveListing listing = listed(makeArchive("ok.zip"));
    const BinaryLocator::SearchFolders nowhere{{target_.path() / "no-tools"}};
    EXPECT_EQ(engineErrorOf([&] {
                  ArchiveExtractor::extractWithSevenZip(listing, {}, destination(),
                                                        ExtractArchiveOptions(destination()),
                                                        nullptr, {}, nowhere);
              }),
              ArchiveEngineError::binaryNotFound("7zz"));
    EXPECT_EQ(engineErrorOf([&] {
                  ArchiveExtractor::extractWithUnar(listing, {}, destination(),
                                                    ExtractArchiveOptions(destination()), nullptr,
                                                    {}, nowhere);
              }),
              ArchiveEngineError::binaryNotFound("unar"));

    // The archive changed on disk since it was listed: the tool's own complaint comes back.
    { std::ofstream(listing.info().url, std::ios::trunc) << "not an archive any more"; }
    const ArchiveEngineError failure = engineErrorOf([&] {
        (void)ArchiveExtractor::extract(listing, {}, ExtractArchiveOptions(destination()), nullptr,
                                        {});
    });
    EXPECT_EQ(failure.kind(), ArchiveEngineError::Case::processFailed);
    EXPECT_FALSE(failure.payload().empty());

    // A destination below a file is refused in plain words, naming the file, before any tool
    // runs (the smart subfolder lies below the folder the user named).
    const fs::path inTheWay = target_.write("file-in-the-way", "x");
    EXPECT_EQ(engineErrorOf([&] {
                  (void)ArchiveExtractor::extract(listing, {},
                                                  ExtractArchiveOptions(inTheWay / "sub"), nullptr,
                                                  {});
              }),
              ArchiveEngineError::processFailed("Cannot extract into " + inTheWay.string() +
                                                ": it is a file, not a folder."));
    EXPECT_EQ(testing::readFile(inTheWay), "x");
}

// --- Cancellation ---

TEST_F(ExtractionTest, CancellingStopsTheToolAndLeavesNoChildOrListFile) {
    source_.write("big/one.bin", testing::incompressibleBytes(24U << 20U, 1));
    source_.write("big/two.bin", testing::incompressibleBytes(24U << 20U, 2));
    const fs::path sevenZ = out_.path() / "big.7z";
    runTool(source_.path(), "7zz", {"a", "-mx=0", sevenZ.string(), "big"});
    const fs::path tarGz = out_.path() / "big.tar.gz";
    runTool(source_.path(), "bsdtar", {"-czf", tarGz.string(), "big"});

    const testing::TemporaryFolder temporary;
    testing::ScopedEnvironment environment;
    environment.set("TMPDIR", temporary.path().string());
    for (const fs::path& archive : {sevenZ, tarGz}) {
        const ArchiveListing listing = testing::listedByUnarchiverWhenTarGz(archive);
        const std::string tool =
            listing.info().extractEngine == ArchiveEngineKind::unarchiver ? "unar" : "7zz";
        auto token = std::make_shared<ProcessCancellationToken>();
        std::atomic<bool> sawToolRunning{false};
        const ArchiveEngineError error = engineErrorOf([&] {
            (void)ArchiveExtractor::extract(
                listing, {entryWithID(listing, "big")}, ExtractArchiveOptions(destination(tool)),
                token, [&](const ProgressReport&) {
                    if (!testing::childProcessesNamed(::getpid(), tool).empty()) {
                        sawToolRunning = true;
                    }
                    token->cancel();
                });
        });
        EXPECT_EQ(error, ArchiveEngineError::cancelled()) << tool;
        EXPECT_TRUE(sawToolRunning) << tool;
        EXPECT_TRUE(testing::childProcessesNamed(::getpid(), tool).empty()) << tool;
    }
    EXPECT_TRUE(fs::is_empty(temporary.path()));
}

}  // namespace
}  // namespace kelvane
