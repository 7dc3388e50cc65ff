// The Extract Here window over a real batch: what it shows while an archive is written, the
// summary of the archives that failed, the password prompt with Skip, Cancel, and the real
// `kelvane --extract-here` process on disk with its exit code.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "WindowTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "state/BatchExtraction.hpp"
#include "support/TemporaryFolder.hpp"
#include "window/ExtractHereWindow.hpp"
#include "window/ExtractPasswordDialog.hpp"
#include "window/MiddleElidedLabel.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::BatchExtraction;
using app::ExtractHereWindow;

QString qPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// `files` packed by 7-Zip into `folder / name` with `switches` ("-pKEY"), leaving nothing else.
fs::path pack(const fs::path& folder, const std::string& name,
              const std::map<std::string, std::string>& files, const QStringList& switches = {}) {
    const fs::path source = folder / (name + ".source");
    for (const auto& [relative, bytes] : files) writeBytes(source / relative, bytes);
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-bd")};
    arguments << switches << qPath(folder / name);
    for (const auto& item : fs::directory_iterator(source)) {
        arguments << QString::fromStdString(item.path().filename().string());
    }
    QProcess archiver;
    archiver.setWorkingDirectory(qPath(source));
    archiver.start(QStringLiteral("7zz"), arguments);
    EXPECT_TRUE(archiver.waitForFinished(120000) && archiver.exitCode() == 0)
        << archiver.readAllStandardError().toStdString();
    fs::remove_all(source);
    return folder / name;
}

// A ZIP whose data no longer matches its checks: bytes in its middle inverted.
fs::path damagedZip(const fs::path& folder, const std::string& name) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "row " + std::to_string(i * 7919 % 10007) + " of text\n";
    const fs::path archive = pack(folder, name, {{"a.txt", text}, {"b.txt", text + text}});
    std::string bytes;
    {
        std::ifstream in(archive, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (std::size_t i = bytes.size() / 2 - 40; i < bytes.size() / 2 + 40; ++i) {
        bytes[i] = static_cast<char>(~bytes[i]);
    }
    writeBytes(archive, bytes);
    return archive;
}

// The names directly in `folder`, sorted.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ExtractHereWindowTest : public ::testing::Test {
protected:
    // Every widget below needs the application first.
    QApplication& application = windowTestApplication();
    TemporaryFolder folder;
};

TEST_F(ExtractHereWindowTest, WhenEveryArchiveIsExtractedTheWindowClosesByItself) {
    const auto one = pack(folder.path(), "one.zip", {{"a.txt", "a"}, {"b.txt", "b"}});
    const auto two = pack(folder.path(), "two.7z", {{"c.txt", "c"}, {"d.txt", "d"}});
    BatchExtraction batch({qPath(one), qPath(two)});
    ExtractHereWindow window(batch);
    QSignalSpy closed(&window, &ExtractHereWindow::closed);
    window.show();
    batch.start();
    EXPECT_EQ(window.titleLabel()->text(), QStringLiteral("Extracting archives…"));
    EXPECT_EQ(window.positionLabel()->text(), QStringLiteral("Archive 1 of 2"));
    EXPECT_EQ(window.archiveLabel()->text(), QStringLiteral("one.zip"));
    EXPECT_TRUE(window.cancelButton()->isVisible());
    EXPECT_FALSE(window.closeButton()->isVisible());

    ASSERT_TRUE(waitUntil([&] { return closed.count() == 1; }));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(batch.exitCode(), BatchExtraction::kExitAllExtracted);
    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{"one", "one.zip", "two", "two.7z"}));
}

TEST_F(ExtractHereWindowTest, FailedArchivesAreListedWithTheirReasonsUntilClosed) {
    const auto good = pack(folder.path(), "good.zip", {{"g1.txt", "1"}, {"g2.txt", "2"}});
    const auto broken = damagedZip(folder.path(), "broken.zip");
    const fs::path missing = folder.path() / "missing.7z";
    BatchExtraction batch({qPath(good), qPath(broken), qPath(missing)});
    ExtractHereWindow window(batch);
    QSignalSpy closed(&window, &ExtractHereWindow::closed);
    window.show();
    batch.start();
    ASSERT_TRUE(waitUntil([&] { return batch.isFinished(); }));

    // The summary stays until the user closes it.
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closed.count(), 0);
    EXPECT_FALSE(window.cancelButton()->isVisible());
    EXPECT_TRUE(window.closeButton()->isVisible());
    EXPECT_EQ(window.titleLabel()->text(), QStringLiteral("Some archives could not be extracted"));
    EXPECT_EQ(window.summaryLabel()->text(), QStringLiteral("1 of 3 archives extracted."));
    const QStringList shown = window.shownProblems();
    const auto problems = batch.problems();
    ASSERT_EQ(problems.size(), 2U);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("broken.zip"), problems[0].reason,
                                  QStringLiteral("missing.7z"), problems[1].reason}));
    for (const auto& problem : problems) EXPECT_FALSE(problem.reason.isEmpty());
    // Each reason is shown whole: wrapped, never cut to the width of the window.
    for (QLabel* reason : window.problemList()->widget()->findChildren<QLabel*>()) {
        EXPECT_TRUE(reason->wordWrap());
        EXPECT_GE(reason->height(), reason->heightForWidth(reason->width()));
    }
    EXPECT_LE(window.width(), ExtractHereWindow::kWidth);

    QTest::mouseClick(window.closeButton(), Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(batch.exitCode(), BatchExtraction::kExitSomeNotExtracted);
}

TEST_F(ExtractHereWindowTest, ThePasswordPromptRetriesRefusedPasswordsAndSkips) {
    const auto locked = pack(folder.path(), "locked.zip", {{"s.txt", "secret"}, {"t.txt", "t"}},
                             {QStringLiteral("-pkey")});
    const auto names = pack(folder.path(), "names.7z", {{"n.txt", "n"}, {"m.txt", "m"}},
                            {QStringLiteral("-pother"), QStringLiteral("-mhe=on")});
    BatchExtraction batch({qPath(locked), qPath(names)});
    ExtractHereWindow window(batch);
    window.show();
    batch.start();
    app::ExtractPasswordDialog& prompt = *window.passwordDialog();
    ASSERT_TRUE(waitUntil([&] { return prompt.isVisible(); }));
    EXPECT_EQ(prompt.archiveLabel()->text(), QStringLiteral("locked.zip"));
    EXPECT_FALSE(prompt.errorBox()->isVisible());
    EXPECT_FALSE(prompt.unlockButton()->isEnabled());

    QTest::keyClicks(prompt.passwordField(), QStringLiteral("wrong"));
    EXPECT_TRUE(prompt.unlockButton()->isEnabled());
    QTest::mouseClick(prompt.unlockButton(), Qt::LeftButton);
    // Asked again, empty, with the refusal said.
    ASSERT_TRUE(waitUntil([&] { return prompt.isVisible() && prompt.errorBox()->isVisible(); }));
    EXPECT_EQ(prompt.errorLine()->text().toStdString(),
              ArchiveEngineError::wrongPassword().errorDescription());
    EXPECT_TRUE(prompt.passwordField()->text().isEmpty());

    QTest::keyClicks(prompt.passwordField(), QStringLiteral("key"));
    QTest::keyClick(prompt.passwordField(), Qt::Key_Return);
    // The next archive asks for its own; Escape skips it.
    ASSERT_TRUE(waitUntil([&] {
        return prompt.isVisible() && prompt.archiveLabel()->text() == QStringLiteral("names.7z");
    }));
    EXPECT_FALSE(prompt.errorBox()->isVisible());
    EXPECT_EQ(window.positionLabel()->text(), QStringLiteral("Archive 2 of 2"));
    QTest::keyClick(&prompt, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return batch.isFinished(); }));
    EXPECT_FALSE(prompt.isVisible());

    std::ifstream extracted(folder.path() / "locked" / "s.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(extracted), {}), "secret");
    EXPECT_FALSE(fs::exists(folder.path() / "names"));
    EXPECT_EQ(window.shownProblems(),
              (QStringList{QStringLiteral("names.7z"),
                           QStringLiteral("Skipped: no password was given.")}));
    EXPECT_EQ(window.titleLabel()->text(), QStringLiteral("Some archives could not be extracted"));
}

TEST_F(ExtractHereWindowTest, CancelStopsTheExtractionAndClosingTheWindowCancelsToo) {
    // Zeros pack small and keep the archiver busy long enough to be caught.
    fs::create_directories(folder.path() / "zeros");
    {
        std::ofstream zeros(folder.path() / "zeros" / "zeros.bin", std::ios::binary);
        const std::string block(1 << 20, '\0');
        for (int i = 0; i < 600; ++i)
            zeros.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    writeBytes(folder.path() / "zeros" / "note.txt", "note");
    QProcess archiver;
    archiver.setWorkingDirectory(qPath(folder.path() / "zeros"));
    archiver.start(QStringLiteral("7zz"),
                   {QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-mx=1"),
                    QStringLiteral("-bd"), qPath(folder.path() / "large.zip"),
                    QStringLiteral("zeros.bin"), QStringLiteral("note.txt")});
    ASSERT_TRUE(archiver.waitForFinished(120000) && archiver.exitCode() == 0);
    fs::remove_all(folder.path() / "zeros");

    struct Case {
        const char* how;
        std::function<void(ExtractHereWindow&)> stop;
    };
    const std::vector<Case> cases{
        {"Cancel",
         [](ExtractHereWindow& window) {
             QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
         }},
        {"closing the window", [](ExtractHereWindow& window) { window.close(); }},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.how);
        BatchExtraction batch({qPath(folder.path() / "large.zip")});
        ExtractHereWindow window(batch);
        QSignalSpy closed(&window, &ExtractHereWindow::closed);
        window.show();
        batch.start();
        ASSERT_TRUE(
            waitUntil([&] { return window.progressBar()->value() > 0 || batch.isFinished(); }));
        ASSERT_FALSE(batch.isFinished()) << "the extraction ended before it could be stopped";
        EXPECT_EQ(window.titleLabel()->text(), QStringLiteral("Extracting archive…"));
        EXPECT_TRUE(window.percentLabel()->text().endsWith(QLatin1Char('%')));
        item.stop(window);
        // The window stays while the tool stops and its files are taken back.
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.titleLabel()->text(), QStringLiteral("Cancelling…"));
        EXPECT_FALSE(window.cancelButton()->isEnabled());
        ASSERT_TRUE(waitUntil([&] { return closed.count() == 1; }));
        EXPECT_EQ(batch.exitCode(), BatchExtraction::kExitCancelled);
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"large.zip"});
    }
}

// The program itself, as the file manager starts it: its own process, no main window, the
// files on disk, the failures on standard error and the exit code. The summary stays on the
// screen until closed, which a process under test cannot do: it is asked to end instead, as
// a logout would.
TEST(ExtractHereProcessTest, ThreeArchivesOneDamagedExtractTwoAndReportTheThird) {
    windowTestApplication();
    TemporaryFolder folder;
    const fs::path here = folder.path() / "archives";
    fs::create_directories(here);
    pack(here, "first.zip", {{"a.txt", "alpha"}, {"b.txt", "beta"}});
    damagedZip(here, "broken.zip");
    pack(here, "third.7z", {{"docs/c.txt", "gamma"}, {"docs/d.txt", "delta"}});

    QProcess kelvane;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    environment.insert(QStringLiteral("LANGUAGE"), QString());
    environment.insert(QStringLiteral("LC_ALL"), QString());
    // Its own settings and no desktop portal: nothing of the machine's user is read or kept.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), qPath(folder.path() / "config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), qPath(folder.path() / "data"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    // The exit code is the program's answer, not the leak checker's view of Qt's caches.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    kelvane.setProcessEnvironment(environment);
    // Relative names, as a script run in the folder would give them.
    kelvane.setWorkingDirectory(qPath(here));
    kelvane.start(QStringLiteral(KELVANE_APP_PATH),
                  {QStringLiteral("--extract-here"), QStringLiteral("first.zip"),
                   QStringLiteral("broken.zip"), QStringLiteral("third.7z")});
    ASSERT_TRUE(kelvane.waitForStarted(20000));
    QByteArray errors;
    const bool summarised = waitUntil(
        [&] {
            errors += kelvane.readAllStandardError();
            return errors.contains("2 of 3 archives extracted.") ||
                   kelvane.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(120));
    ASSERT_TRUE(summarised) << errors.toStdString();
    // The summary waits on the screen: the program is still running.
    ASSERT_EQ(kelvane.state(), QProcess::Running) << errors.toStdString();
    ::kill(static_cast<pid_t>(kelvane.processId()), SIGTERM);
    ASSERT_TRUE(kelvane.waitForFinished(30000));
    errors += kelvane.readAllStandardError();

    EXPECT_EQ(kelvane.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kelvane.exitCode(), BatchExtraction::kExitSomeNotExtracted) << errors.toStdString();
    EXPECT_TRUE(errors.contains(qPath(here / "broken.zip").toUtf8() + ": This archive is damaged"))
        << errors.toStdString();
    const auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read(here / "first" / "a.txt"), "alpha");
    EXPECT_EQ(read(here / "first" / "b.txt"), "beta");
    // One root folder: no folder named after the archive around it.
    EXPECT_EQ(read(here / "docs" / "c.txt"), "gamma");
    EXPECT_EQ(read(here / "docs" / "d.txt"), "delta");
    EXPECT_FALSE(fs::exists(here / "third"));

    // A second run of a good archive alone ends by itself with 0 and renames, never replaces.
    QProcess again;
    again.setProcessEnvironment(environment);
    again.setWorkingDirectory(qPath(here));
    again.start(QStringLiteral(KELVANE_APP_PATH),
                {QStringLiteral("--extract-here"), qPath(here / "first.zip")});
    ASSERT_TRUE(again.waitForFinished(60000)) << again.readAllStandardError().toStdString();
    EXPECT_EQ(again.exitCode(), BatchExtraction::kExitAllExtracted)
        << again.readAllStandardError().toStdString();
    EXPECT_EQ(read(here / "first" / "a.txt"), "alpha");
    EXPECT_EQ(namesIn(here / "first").size(), 4U);
}

}  // namespace
}  // namespace kelvane::testing
