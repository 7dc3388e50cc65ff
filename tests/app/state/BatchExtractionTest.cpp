// Extract Here on a list of archives: each into its smart subfolder beside it with the real
// archivers, failures told per archive while the others go on, nothing of the user's
// overwritten, passwords asked, retried and skipped, and Cancel stopping the running tool.
#include <QSignalSpy>

#include "AppTestSupport.hpp"
#include "StateTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveFailureDiagnosis.hpp"
#include "state/BatchExtraction.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::ArchiveExtractionOutcome;
using app::BatchExtraction;
using Kind = ArchiveExtractionOutcome::Kind;
using Tree = std::map<std::string, std::string>;

QString qPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// Flips bytes in the middle of a file: an archive whose data no longer matches its checks.
void damage(const fs::path& archive) {
    std::string bytes = readWholeFile(archive);
    ASSERT_GT(bytes.size(), 200U);
    for (std::size_t i = bytes.size() / 2 - 40; i < bytes.size() / 2 + 40; ++i) {
        bytes[i] = static_cast<char>(~bytes[i]);
    }
    writeFile(archive, bytes);
}

// Text that packs small but takes the archiver a moment: damage in its middle is found.
std::string prose(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += "line " + std::to_string(i * 7919 % 10007) + " of a text kept in an archive\n";
    }
    return text;
}

// The tree below `folder` without the files named in `leaveOut` (the archives themselves).
Tree treeWithout(const fs::path& folder, const std::vector<std::string>& leaveOut) {
    Tree tree = treeContents(folder);
    for (const std::string& name : leaveOut) tree.erase(name);
    return tree;
}

// Files below `folder` (not recursing into sub-folders) whose contents are `bytes`.
std::vector<std::string> filesHolding(const fs::path& folder, const std::string& bytes) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file() && readWholeFile(item.path()) == bytes) {
            names.push_back(item.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BatchExtractionTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }

    // Starts a batch over `archives` and lets it run until it asks or ends.
    std::unique_ptr<BatchExtraction> start(const std::vector<fs::path>& archives) {
        QStringList paths;
        for (const fs::path& archive : archives) paths << qPath(archive);
        auto batch = std::make_unique<BatchExtraction>(paths);
        batch->start();
        return batch;
    }

    [[nodiscard]] static bool waitUntilAsking(const BatchExtraction& batch) {
        return waitFor([&] {
                   return batch.phase() == BatchExtraction::Phase::askingPassword ||
                          batch.isFinished();
               }) &&
               batch.phase() == BatchExtraction::Phase::askingPassword;
    }

    [[nodiscard]] static bool waitUntilFinished(const BatchExtraction& batch) {
        return waitFor([&] { return batch.isFinished(); }, 60000);
    }

    static std::vector<Kind> kinds(const BatchExtraction& batch) {
        std::vector<Kind> found;
        for (const ArchiveExtractionOutcome& outcome : batch.outcomes()) {
            found.push_back(outcome.kind);
        }
        return found;
    }

    TemporaryFolder folder_;
};

TEST_F(BatchExtractionTest, ThreeArchivesOneDamagedExtractsTheOthersAndReportsIt) {
    const fs::path& here = folder_.path();
    const auto first = makeArchive(here / "first.zip", {{"a.txt", "alpha"}, {"b.txt", "beta"}});
    const auto broken =
        makeArchive(here / "broken.zip", {{"long.txt", prose(4000)}, {"other.txt", prose(3000)}});
    damage(broken);
    const auto third = makeArchive(here / "third.7z", {{"c.txt", "gamma"}, {"d/e.txt", "delta"}});

    const auto batch = start({first, broken, third});
    QSignalSpy finished(batch.get(), &BatchExtraction::finished);
    ASSERT_TRUE(waitUntilFinished(*batch));
    EXPECT_EQ(finished.count(), 1);

    EXPECT_EQ(kinds(*batch), (std::vector<Kind>{Kind::extracted, Kind::failed, Kind::extracted}));
    Tree tree = treeWithout(here, {"first.zip", "broken.zip", "third.7z"});
    // Whatever the damaged archive left is the engine's business (it keeps complete files);
    // the good archives' folders hold exactly their files.
    std::erase_if(tree, [](const auto& item) { return item.first.starts_with("broken"); });
    EXPECT_EQ(tree, (Tree{{"first/", ""},
                          {"first/a.txt", "alpha"},
                          {"first/b.txt", "beta"},
                          {"third/", ""},
                          {"third/c.txt", "gamma"},
                          {"third/d/", ""},
                          {"third/d/e.txt", "delta"}}));
    EXPECT_EQ(batch->outcomes()[0].destination, qPath(here / "first"));
    EXPECT_EQ(batch->outcomes()[2].destination, qPath(here / "third"));

    const auto problems = batch->problems();
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_EQ(problems[0].archive, qPath(broken));
    // The engine's own account of damaged data, not a generic "failed".
    EXPECT_TRUE(problems[0].reason.startsWith(QStringLiteral("This archive is damaged")))
        << problems[0].reason.toStdString();
    EXPECT_EQ(batch->exitCode(), BatchExtraction::kExitSomeNotExtracted);
    EXPECT_FALSE(batch->wasCancelled());
    EXPECT_EQ(batch->summaryText(), QStringLiteral("2 of 3 archives extracted."));
    EXPECT_EQ(batch->titleText(), QStringLiteral("Some archives could not be extracted"));
}

TEST_F(BatchExtractionTest, EachFileThatIsNoReadableArchiveGetsItsOwnReason) {
    const fs::path& here = folder_.path();
    const auto empty = folder_.write("empty.zip", "");
    const auto notArchive = folder_.write("notes.7z", "this is plain text, not an archive");
    const fs::path missing = here / "gone.zip";
    fs::create_directories(here / "folder.zip");
    const auto good = makeArchive(here / "good.zip", {{"one.txt", "1"}, {"two.txt", "2"}});

    const auto batch = start({empty, notArchive, missing, here / "folder.zip", good});
    ASSERT_TRUE(waitUntilFinished(*batch));
    EXPECT_EQ(kinds(*batch), (std::vector<Kind>{Kind::failed, Kind::failed, Kind::failed,
                                                Kind::failed, Kind::extracted}));
    EXPECT_EQ(readWholeFile(here / "good" / "two.txt"), "2");
    struct Case {
        fs::path archive;
        std::optional<std::string> diagnosis;
    };
    // What the file system shows is said in the engine's words for it; plain text is "not
    // an archive" in the tools' verdict.
    const std::vector<Case> cases{
        {empty, ArchiveFailureDiagnosis::fileProblem(empty)},
        {notArchive,
         ArchiveFailureDiagnosis::toolVerdict(notArchive, {"Cannot open the file as archive"})},
        {missing, ArchiveFailureDiagnosis::fileProblem(missing)},
        {here / "folder.zip", ArchiveFailureDiagnosis::fileProblem(here / "folder.zip")},
    };
    const auto problems = batch->problems();
    ASSERT_EQ(problems.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].archive.string());
        EXPECT_EQ(problems[i].archive, qPath(cases[i].archive));
        ASSERT_TRUE(cases[i].diagnosis.has_value());
        EXPECT_TRUE(problems[i].reason.contains(QString::fromStdString(*cases[i].diagnosis)))
            << problems[i].reason.toStdString();
    }
    // Nothing was made for the archives that could not be read.
    for (const char* name : {"empty", "notes", "gone", "folder"}) {
        EXPECT_FALSE(fs::exists(here / name)) << name;
    }
    EXPECT_EQ(batch->summaryText(), QStringLiteral("1 of 5 archives extracted."));
}

TEST_F(BatchExtractionTest, TheSmartSubfolderFollowsWhatTheArchiveHoldsAtItsTop) {
    const fs::path& here = folder_.path();
    // One root folder: extracted as it is, beside the archive, with no folder around it.
    const auto single =
        makeArchive(here / "single.7z", {{"docs/a.txt", "a"}, {"docs/deep/b.txt", "b"}});
    // Loose items, or a lone file: a folder named after the archive around them.
    const auto loose = makeArchive(here / "loose.zip", {{"x.txt", "x"}, {"y/z.txt", "z"}});
    const auto lone = makeArchive(here / "lone.zip", {{"note.txt", "note"}});
    // The whole archive suffix goes from the folder's name, ".tar.gz" included.
    fs::create_directories(here / "src");
    writeFile(here / "src" / "t1.txt", "t1");
    writeFile(here / "src" / "t2.txt", "t2");
    runTool(QStringLiteral("bsdtar"),
            {QStringLiteral("-czf"), qPath(here / "bundle.tar.gz"), QStringLiteral("-C"),
             qPath(here / "src"), QStringLiteral("t1.txt"), QStringLiteral("t2.txt")},
            here);
    fs::remove_all(here / "src");

    const auto batch = start({single, loose, lone, here / "bundle.tar.gz"});
    ASSERT_TRUE(waitUntilFinished(*batch));
    EXPECT_EQ(batch->exitCode(), BatchExtraction::kExitAllExtracted) << [&] {
        std::string reasons;
        for (const auto& outcome : batch->outcomes()) reasons += outcome.reason.toStdString();
        return reasons;
    }();
    EXPECT_EQ(treeWithout(here, {"single.7z", "loose.zip", "lone.zip", "bundle.tar.gz"}),
              (Tree{{"docs/", ""},
                    {"docs/a.txt", "a"},
                    {"docs/deep/", ""},
                    {"docs/deep/b.txt", "b"},
                    {"loose/", ""},
                    {"loose/x.txt", "x"},
                    {"loose/y/", ""},
                    {"loose/y/z.txt", "z"},
                    {"lone/", ""},
                    {"lone/note.txt", "note"},
                    {"bundle/", ""},
                    {"bundle/t1.txt", "t1"},
                    {"bundle/t2.txt", "t2"}}));
    EXPECT_EQ(batch->outcomes()[0].destination, qPath(here));
    EXPECT_EQ(batch->outcomes()[3].destination, qPath(here / "bundle"));
}

TEST_F(BatchExtractionTest, FilesAndFoldersAlreadyThereAreNeverOverwritten) {
    const fs::path& here = folder_.path();
    writeFile(here / "bundle" / "a.txt", "mine");
    writeFile(here / "bundle" / "own.txt", "own");
    writeFile(here / "docs" / "c.txt", "mine too");
    const auto bundle = makeArchive(here / "bundle.zip", {{"a.txt", "theirs"}, {"b.txt", "b"}});
    const auto docs = makeArchive(here / "docs.7z", {{"docs/c.txt", "archived"}});

    // Twice the same archives: the second run must not replace what the first wrote either.
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const auto batch = start({bundle, docs});
        ASSERT_TRUE(waitUntilFinished(*batch));
        EXPECT_EQ(kinds(*batch), (std::vector<Kind>{Kind::extracted, Kind::extracted}));
        EXPECT_EQ(readWholeFile(here / "bundle" / "a.txt"), "mine");
        EXPECT_EQ(readWholeFile(here / "bundle" / "own.txt"), "own");
        EXPECT_EQ(readWholeFile(here / "docs" / "c.txt"), "mine too");
        EXPECT_EQ(filesHolding(here / "bundle", "theirs").size(), static_cast<std::size_t>(run));
        EXPECT_EQ(filesHolding(here / "bundle", "b").size(), static_cast<std::size_t>(run));
        EXPECT_EQ(filesHolding(here / "docs", "archived").size(), static_cast<std::size_t>(run));
        EXPECT_EQ(filesHolding(here / "bundle", "mine"), std::vector<std::string>{"a.txt"});
    }
}

TEST_F(BatchExtractionTest, APasswordIsAskedARefusedOneAskedAgainAndTheRightOneExtracts) {
    struct Case {
        const char* name;
        std::vector<std::string> switches;
        // Only encrypted names stop the listing; otherwise the extraction asks.
        bool asksWhileReading;
    };
    const std::vector<Case> cases{
        {"contents.zip", {"-psesame"}, false},
        {"names.7z", {"-psesame", "-mhe=on"}, true},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        TemporaryFolder folder;
        const auto archive =
            makeArchive(folder.path() / item.name,
                        {{"plan.txt", "the plan"}, {"more/notes.txt", "notes"}}, item.switches);
        const auto batch = start({archive});
        ASSERT_TRUE(waitUntilAsking(*batch));
        EXPECT_EQ(batch->currentArchiveName(), QString::fromLatin1(item.name));
        EXPECT_FALSE(batch->passwordError().has_value());
        EXPECT_FALSE(batch->progress().has_value());

        batch->submitPassword(QString());
        EXPECT_EQ(batch->phase(), BatchExtraction::Phase::askingPassword);

        batch->submitPassword(QStringLiteral("wrong"));
        EXPECT_EQ(batch->phase(), item.asksWhileReading ? BatchExtraction::Phase::reading
                                                        : BatchExtraction::Phase::extracting);
        ASSERT_TRUE(waitUntilAsking(*batch));
        ASSERT_TRUE(batch->passwordError().has_value());
        EXPECT_EQ(batch->passwordError()->toStdString(),
                  ArchiveEngineError::wrongPassword().errorDescription());
        // The refused attempt left nothing beside the archive.
        EXPECT_EQ(treeWithout(folder.path(), {item.name}), Tree{});

        batch->submitPassword(QStringLiteral("sesame"));
        ASSERT_TRUE(waitUntilFinished(*batch));
        EXPECT_EQ(kinds(*batch), std::vector<Kind>{Kind::extracted});
        const std::string stem = fs::path(item.name).stem().string();
        EXPECT_EQ(treeWithout(folder.path(), {item.name}),
                  (Tree{{stem + "/", ""},
                        {stem + "/plan.txt", "the plan"},
                        {stem + "/more/", ""},
                        {stem + "/more/notes.txt", "notes"}}));
        EXPECT_EQ(batch->exitCode(), BatchExtraction::kExitAllExtracted);
    }
}

TEST_F(BatchExtractionTest, SkippingThePasswordGoesOnWithTheNextArchiveAndReportsTheSkip) {
    const fs::path& here = folder_.path();
    const auto locked = makeArchive(here / "locked.7z", {{"s.txt", "secret"}, {"t.txt", "t"}},
                                    {"-pkey", "-mhe=on"});
    const auto open = makeArchive(here / "open.zip", {{"o.txt", "open"}, {"p.txt", "p"}});
    const auto batch = start({locked, open});
    ASSERT_TRUE(waitUntilAsking(*batch));
    EXPECT_EQ(batch->currentPosition(), 1);
    EXPECT_EQ(batch->positionText(), QStringLiteral("Archive 1 of 2"));
    batch->skipArchive();
    ASSERT_TRUE(waitUntilFinished(*batch));
    EXPECT_EQ(kinds(*batch), (std::vector<Kind>{Kind::skipped, Kind::extracted}));
    EXPECT_EQ(readWholeFile(here / "open" / "o.txt"), "open");
    EXPECT_FALSE(fs::exists(here / "locked"));
    const auto problems = batch->problems();
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_EQ(problems[0].archive, qPath(locked));
    EXPECT_EQ(problems[0].reason, QStringLiteral("Skipped: no password was given."));
    EXPECT_EQ(batch->exitCode(), BatchExtraction::kExitSomeNotExtracted);
}

TEST_F(BatchExtractionTest, CancelStopsTheRunningArchiverAndEveryArchiveAfterIt) {
    const fs::path& here = folder_.path();
    // Zeros pack small and take the archiver long enough to be caught writing.
    fs::create_directories(here / "zeros");
    {
        std::ofstream zeros(here / "zeros" / "zeros.bin", std::ios::binary);
        const std::string block(1 << 20, '\0');
        for (int i = 0; i < 600; ++i)
            zeros.write(block.data(), static_cast<std::streamsize>(block.size()));
        zeros.close();
        writeFile(here / "zeros" / "small.txt", "small");
    }
    runTool(QStringLiteral("7zz"),
            {QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-mx=1"),
             QStringLiteral("-bd"), qPath(here / "large.zip"), QStringLiteral("zeros.bin"),
             QStringLiteral("small.txt")},
            here / "zeros");
    fs::remove_all(here / "zeros");
    const auto after = makeArchive(here / "after.zip", {{"a.txt", "a"}, {"b.txt", "b"}});

    const auto batch = start({here / "large.zip", after});
    ASSERT_TRUE(
        waitFor([&] { return batch->progress().value_or(0.0) > 0.0 || batch->isFinished(); }));
    ASSERT_FALSE(batch->isFinished()) << "the extraction ended before it could be cancelled";
    batch->cancel();
    EXPECT_EQ(batch->phase(), BatchExtraction::Phase::cancelling);
    EXPECT_EQ(batch->titleText(), QStringLiteral("Cancelling…"));
    ASSERT_TRUE(waitUntilFinished(*batch));

    EXPECT_TRUE(batch->wasCancelled());
    EXPECT_EQ(kinds(*batch), (std::vector<Kind>{Kind::cancelled, Kind::cancelled}));
    EXPECT_EQ(batch->outcomes()[0].reason.toStdString(),
              ArchiveEngineError::cancelled().errorDescription());
    EXPECT_TRUE(batch->problems().empty());
    EXPECT_EQ(batch->exitCode(), BatchExtraction::kExitCancelled);
    EXPECT_EQ(batch->titleText(), QStringLiteral("Extraction cancelled"));
    // The stopped run was taken back, its folder included, and the next archive never started.
    EXPECT_EQ(treeWithout(here, {"large.zip", "after.zip"}), Tree{});
}

TEST_F(BatchExtractionTest, CancelWhileAskingForAPasswordEndsTheBatchAtOnce) {
    const fs::path& here = folder_.path();
    const auto locked = makeArchive(here / "locked.zip", {{"s.txt", "secret"}}, {"-pkey"});
    const auto next = makeArchive(here / "next.zip", {{"n.txt", "n"}});
    const auto batch = start({locked, next});
    ASSERT_TRUE(waitUntilAsking(*batch));
    QSignalSpy finished(batch.get(), &BatchExtraction::finished);
    batch->cancel();
    EXPECT_TRUE(batch->isFinished());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(kinds(*batch), (std::vector<Kind>{Kind::cancelled, Kind::cancelled}));
    EXPECT_EQ(batch->exitCode(), BatchExtraction::kExitCancelled);
    // Answers that come late change nothing.
    batch->submitPassword(QStringLiteral("key"));
    batch->skipArchive();
    EXPECT_TRUE(batch->isFinished());
    EXPECT_EQ(batch->outcomes().size(), 2U);
    EXPECT_FALSE(fs::exists(here / "locked"));
    EXPECT_FALSE(fs::exists(here / "next"));
}

}  // namespace
}  // namespace kelvane::testing
