// Staging dragged rows as real files: names, bytes, folders with their contents, the limit
// of two extractions at once, the tab's password, failures that leave nothing behind, and
// the drags that go to the extract sheet instead.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "AppTestSupport.hpp"
#include "support/TemporaryFolder.hpp"
#include "fakes/FakeDesktopServices.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/DragOutStager.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::ArchiveViewModel;
using app::DragOutStager;

// Incompressible bytes, eight at a time (this runs under the sanitizers).
std::string randomBytes(std::size_t count, unsigned seed) {
    std::mt19937_64 generator(seed);
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; i += 8) {
        const std::uint64_t word = generator();
        std::memcpy(bytes.data() + i, &word, std::min<std::size_t>(8, count - i));
    }
    return bytes;
}

// Child processes of this test named `name`, read from /proc.
int runningChildren(const std::string& name) {
    int count = 0;
    const std::string parent = std::to_string(::getpid());
    std::error_code error;
    for (const auto& process : fs::directory_iterator("/proc", error)) {
        std::ifstream stat(process.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const auto open = line.find('(');
        const auto close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        const std::string command = line.substr(open + 1, close - open - 1);
        std::istringstream rest(line.substr(close + 2));
        std::string state;
        std::string ppid;
        rest >> state >> ppid;
        if (command == name && ppid == parent && state != "Z") ++count;
    }
    return count;
}

std::vector<fs::path> stagingFolders(const QString& root) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(root.toStdString(), error)) {
        if (item.path().filename().string().starts_with(DragOutStager::kStagingFolderPrefix)) {
            found.push_back(item.path());
        }
    }
    return found;
}

class DragOutStagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        viewModel_ = std::make_unique<ArchiveViewModel>(desktop_);
        stager_ = std::make_unique<DragOutStager>(*viewModel_);
        source_ = folder_.path() / "source";
        folder_.write("source/notes.txt", "plain notes\n");
        folder_.write("source/docs/readme.txt", "read me first\n");
        folder_.write("source/docs/inner/deep.bin", randomBytes(70000, 1));
        folder_.write("source/photos/a.bin", randomBytes(300000, 2));
    }
    void TearDown() override {
        stager_->shutdown();
        viewModel_->cleanupPreviewCache();
    }

    [[nodiscard]] ArchiveEntry entry(std::string_view id) const {
        const ArchiveEntry* found = viewModel_->listing()->tree()->entry(id);
        EXPECT_NE(found, nullptr) << id;
        return *found;
    }

    // Stages and waits for the outcome; the staged paths, or none after a failure.
    std::optional<QStringList> stageAndWait(const std::vector<ArchiveEntry>& entries) {
        QSignalSpy staged(stager_.get(), &DragOutStager::staged);
        QSignalSpy failed(stager_.get(), &DragOutStager::failed);
        const DragOutStager::Request request = stager_->stage(entries);
        EXPECT_EQ(request.decision, DragOutStager::Decision::staging);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !staged.isEmpty() || !failed.isEmpty(); }, 60000));
        if (!staged.isEmpty()) {
            EXPECT_EQ(staged.front().at(0).toULongLong(), request.id);
            return staged.front().at(1).toStringList();
        }
        return std::nullopt;
    }

    TemporaryFolder folder_;
    FakeDesktopServices desktop_;
    std::unique_ptr<ArchiveViewModel> viewModel_;
    std::unique_ptr<DragOutStager> stager_;
    fs::path source_;
};

TEST_F(DragOutStagerTest, ThreeRowsBecomeFilesNamedAfterTheEntriesWithTheirBytesUntilQuit) {
    runTool("7zz", {"a", "-tzip", "../rows.zip", "notes.txt", "docs", "photos"}, source_);
    ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "rows.zip"));

    const auto staged = stageAndWait({entry("notes.txt"), entry("photos/a.bin"), entry("docs")});
    ASSERT_TRUE(staged.has_value());
    ASSERT_EQ(staged->size(), 3);
    const fs::path notes = staged->at(0).toStdString();
    const fs::path photo = staged->at(1).toStdString();
    const fs::path docs = staged->at(2).toStdString();
    EXPECT_EQ(notes.filename(), "notes.txt");
    EXPECT_EQ(photo.filename(), "a.bin");
    EXPECT_EQ(docs.filename(), "docs");
    EXPECT_EQ(readFile(notes), readFile(source_ / "notes.txt"));
    EXPECT_EQ(readFile(photo), readFile(source_ / "photos/a.bin"));
    // The folder arrives with everything inside it.
    EXPECT_EQ(treeContents(docs), treeContents(source_ / "docs"));

    const QString root = viewModel_->sessionCacheRoot();
    for (const QString& path : *staged) {
        EXPECT_TRUE(path.startsWith(root + "/" + DragOutStager::kStagingFolderPrefix)) << path.toStdString();
    }
    EXPECT_EQ(stagingFolders(root).size(), 3U);

    // Quitting stops the stager and removes the cache root: nothing is left behind.
    stager_->shutdown();
    viewModel_->cleanupPreviewCache();
    EXPECT_FALSE(fs::exists(root.toStdString()));
}

TEST_F(DragOutStagerTest, NeverRunsMoreThanTwoExtractionsAtOnce) {
    QStringList names;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "big" + std::to_string(i) + ".bin";
        folder_.write("source/" + name, randomBytes(6'000'000, static_cast<unsigned>(10 + i)));
        names.push_back(QString::fromStdString(name));
    }
    runTool("7zz", QStringList{"a", "-t7z", "-mx=1", "-ms=off", "../many.7z"} + names, source_);
    ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "many.7z"));
    std::vector<ArchiveEntry> entries;
    for (const QString& name : names) entries.push_back(entry(name.toStdString()));

    std::atomic<bool> watching{true};
    std::atomic<int> most{0};
    std::thread watcher([&] {
        while (watching.load()) {
            const int now = runningChildren("7zz");
            if (now > most.load()) most.store(now);
        }
    });
    const auto staged = stageAndWait(entries);
    watching.store(false);
    watcher.join();

    ASSERT_TRUE(staged.has_value());
    ASSERT_EQ(staged->size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_EQ(readFile(staged->at(i).toStdString()),
                  readFile(source_ / names[i].toStdString()));
    }
    EXPECT_LE(most.load(), DragOutStager::kMaxConcurrentExtractions);
    // The watcher reads /proc between the runs; on a heavily loaded machine it can miss every
    // one of them, and then the limit was not observed at all.
    if (most.load() == 0) GTEST_SKIP() << "no extraction was caught running; the limit went unobserved";
}

TEST_F(DragOutStagerTest, EncryptedEntriesUseTheTabsPasswordAndGoToTheSheetWithoutOne) {
    runTool("7zz", {"a", "-tzip", "-psecret", "../locked.zip", "notes.txt", "docs"}, source_);
    const fs::path archive = folder_.path() / "locked.zip";

    // Listed without a password, the tab knows none: the extract sheet asks for it.
    ASSERT_TRUE(openAndWait(*viewModel_, archive));
    ASSERT_TRUE(viewModel_->listing()->info().hasEncryptedEntries);
    viewModel_->setSelectionIDs({"notes.txt"});
    EXPECT_EQ(stager_->stage({entry("notes.txt")}).decision,
              DragOutStager::Decision::extractSheet);
    EXPECT_TRUE(viewModel_->showExtractSheet());
    EXPECT_TRUE(viewModel_->extractSelectedOnly());
    EXPECT_TRUE(stagingFolders(viewModel_->sessionCacheRoot()).empty());
    viewModel_->setShowExtractSheet(false);

    // Opened with the password, the drag uses it.
    ASSERT_TRUE(openAndWait(*viewModel_, archive, "secret"));
    ASSERT_EQ(viewModel_->sessionPassword(), std::optional<std::string>("secret"));
    const auto staged = stageAndWait({entry("notes.txt"), entry("docs")});
    ASSERT_TRUE(staged.has_value());
    EXPECT_EQ(readFile(staged->at(0).toStdString()), readFile(source_ / "notes.txt"));
    EXPECT_EQ(treeContents(staged->at(1).toStdString()), treeContents(source_ / "docs"));
}

TEST_F(DragOutStagerTest, FailedExtractionsShowANoticeAndLeaveNothingStaged) {
    runTool("7zz", {"a", "-tzip", "-psecret", "../locked.zip", "notes.txt", "photos"}, source_);
    runTool("7zz", {"a", "-tzip", "../plain.zip", "notes.txt", "photos"}, source_);

    struct Case {
        const char* what;
        const char* archive;
        std::optional<std::string> password;
        bool removeArchiveAfterListing;
    };
    const Case cases[] = {
        {"wrong password", "locked.zip", "not-the-password", false},
        {"archive gone after listing", "plain.zip", std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path archive = folder_.path() / c.archive;
        ASSERT_TRUE(openAndWait(*viewModel_, archive, c.password));
        if (c.removeArchiveAfterListing) fs::remove(archive);
        const auto staged = stageAndWait({entry("notes.txt"), entry("photos/a.bin")});
        EXPECT_FALSE(staged.has_value());
        EXPECT_TRUE(viewModel_->toastIsError());
        EXPECT_TRUE(viewModel_->toastMessage().has_value());
        // Every extraction of the request has reported by now; none left a folder.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return stagingFolders(viewModel_->sessionCacheRoot()).empty(); }, 30000));
    }
}

TEST_F(DragOutStagerTest, MoreThanTenThousandFilesGoToTheExtractSheet) {
    const fs::path many = folder_.path() / "many";
    fs::create_directories(many / "heap");
    for (std::int64_t i = 0; i <= DragOutStager::kMaxDragFiles; ++i) {
        std::ofstream(many / "heap" / ("f" + std::to_string(i))).put('x');
    }
    runTool("bsdtar", {"-cf", "../heap.tar", "heap"}, many);
    ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "heap.tar"));
    viewModel_->setSelectionIDs({"heap"});

    EXPECT_EQ(stager_->stage({entry("heap")}).decision, DragOutStager::Decision::extractSheet);
    EXPECT_TRUE(viewModel_->showExtractSheet());
    EXPECT_TRUE(stagingFolders(viewModel_->sessionCacheRoot()).empty());
    // A single file of the same archive is dragged as usual.
    const auto staged = stageAndWait({entry("heap/f7")});
    ASSERT_TRUE(staged.has_value());
    EXPECT_EQ(readFile(staged->front().toStdString()), "x");
}

}  // namespace
}  // namespace kelvane::testing
