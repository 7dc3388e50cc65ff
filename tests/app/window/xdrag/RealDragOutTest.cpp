// One real drag, end to end, on a real X server with real pointer events: rows pressed in
// the table, the files staged while the button is held, the pointer carried onto the
// window of another program, the button let go; the files arrive with the entries' bytes.
// Skips when no X server can be started here.
#include <QAbstractItemView>
#include <QMainWindow>
#include <QProcess>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <thread>

#include "AppTestSupport.hpp"
#include "support/TemporaryFolder.hpp"
#include "fakes/FakeDesktopServices.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/DragOutStager.hpp"
#include "window/DragOutController.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;

bool onPath(const char* program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// An X server of the test's own, on the display number it picks itself.
class PrivateXServer final {
public:
    PrivateXServer() {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(pipeEnds[0]);
            const std::string fd = std::to_string(pipeEnds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeEnds[1]);
        std::string number;
        char c = 0;
        while (pid_ > 0 && ::read(pipeEnds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
        ::close(pipeEnds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~PrivateXServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    [[nodiscard]] const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The table the way the main window's entry table behaves: dragging selected rows asks
// for a drag of their entries instead of running one itself.
class RowTable final : public QTableView {
public:
    std::function<void(std::vector<ArchiveEntry>)> onDragRequested;
    std::vector<ArchiveEntry> entries;

protected:
    void startDrag(Qt::DropActions) override {
        std::vector<ArchiveEntry> dragged;
        for (const QModelIndex& index : selectionModel()->selectedRows()) {
            dragged.push_back(entries[static_cast<std::size_t>(index.row())]);
        }
        onDragRequested(dragged);
    }
};

void xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments;
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
}

TEST(RealDragOutTest, RowsDraggedOntoAnotherProgramsWindowArriveAsFiles) {
    if (!onPath("Xvfb") || !onPath("xdotool")) {
        GTEST_SKIP() << "Xvfb or xdotool is not installed: the real drag needs both";
    }
    PrivateXServer server;
    if (server.display().empty()) GTEST_SKIP() << "no X server could be started (Xvfb failed)";
    ::setenv("DISPLAY", server.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ensureApplication();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    TemporaryFolder folder;
    folder.write("source/notes.txt", "plain notes\n");
    folder.write("source/docs/readme.txt", "read me first\n");
    folder.write("source/docs/inner/deep.txt", "deep inside\n");
    folder.write("source/photo.bin", std::string(200000, 'q'));
    runTool("7zz", {"a", "-tzip", "../rows.zip", "notes.txt", "docs", "photo.bin"},
            folder.path() / "source");

    FakeDesktopServices desktop;
    app::ArchiveViewModel viewModel(desktop);
    ASSERT_TRUE(openAndWait(viewModel, folder.path() / "rows.zip"));
    app::DragOutStager stager(viewModel);

    // The receiving program.
    QProcess target;
    std::atomic<bool> targetReady{false};
    std::atomic<bool> targetEntered{false};
    std::atomic<bool> targetDropped{false};
    QStringList received;
    QString action;
    QObject::connect(&target, &QProcess::readyReadStandardOutput, [&] {
        while (target.canReadLine()) {
            const QString line = QString::fromUtf8(target.readLine()).trimmed();
            if (line == "READY") targetReady = true;
            if (line == "ENTER") targetEntered = true;
            if (line.startsWith("URL ")) received.push_back(line.mid(4));
            if (line.startsWith("ACTION ")) action = line.mid(7);
            if (line == "DROPPED") targetDropped = true;
        }
    });
    target.start(KELVANE_DROP_TARGET, {"760", "120", "300", "300"});
    ASSERT_TRUE(target.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return targetReady.load(); }, 20000))
        << "the drop target did not come up";

    // The sending window with the rows.
    QMainWindow window;
    auto* table = new RowTable;
    QStandardItemModel model;
    const auto& index = *viewModel.listing()->tree();
    for (const char* id : {"notes.txt", "docs", "photo.bin"}) {
        table->entries.push_back(*index.entry(id));
        model.appendRow(new QStandardItem(QString::fromUtf8(id)));
    }
    table->setModel(&model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setDragEnabled(true);
    window.setCentralWidget(table);
    window.setGeometry(40, 40, 500, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    table->selectAll();

    app::DragOutController controller(viewModel, stager, table);
    std::atomic<bool> dragStarting{false};
    std::atomic<bool> dragEnded{false};
    table->onDragRequested = [&](const std::vector<ArchiveEntry>& entries) {
        controller.beginDrag(entries);
    };
    QObject::connect(&controller, &app::DragOutController::dragStarting, [&] { dragStarting = true; });
    QObject::connect(&controller, &app::DragOutController::dragFinished, [&] { dragEnded = true; });

    const QRect row = table->visualRect(model.index(0, 0));
    const QPoint press = table->viewport()->mapToGlobal(row.center());
    const QPoint drop(760 + 150, 120 + 150);

    std::atomic<bool> pointerDone{false};
    std::thread pointer([&] {
        const auto waitFor = [](const std::atomic<bool>& flag) {
            for (int i = 0; i < 3000 && !flag.load(); ++i) ::usleep(10000);
            return flag.load();
        };
        xdotool("mousemove " + std::to_string(press.x()) + " " + std::to_string(press.y()));
        xdotool("mousedown 1");
        for (int step = 1; step <= 6; ++step) {
            xdotool("mousemove " + std::to_string(press.x() + 6 * step) + " " +
                    std::to_string(press.y() + 3 * step));
        }
        if (waitFor(dragStarting)) {
            // Carry the pointer over to the other window in steps, as a hand would.
            for (int step = 1; step <= 10; ++step) {
                const int x = press.x() + (drop.x() - press.x()) * step / 10;
                const int y = press.y() + (drop.y() - press.y()) * step / 10;
                xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
            }
            for (int wiggle = 0; wiggle < 50 && !targetEntered.load(); ++wiggle) {
                xdotool("mousemove " + std::to_string(drop.x() + wiggle % 2) + " " +
                        std::to_string(drop.y()));
            }
        }
        xdotool("mouseup 1");
        pointerDone = true;
    });
    const bool finished = QTest::qWaitFor([&] { return pointerDone.load() && (dragEnded.load() || !dragStarting.load()); },
                                          90000);
    pointer.join();
    ASSERT_TRUE(finished);
    ASSERT_TRUE(dragStarting.load()) << "the staged drag never started";
    ASSERT_TRUE(QTest::qWaitFor([&] { return targetDropped.load(); }, 20000))
        << "the other program received no drop";

    ASSERT_EQ(received.size(), 3);
    EXPECT_EQ(action, QString::number(static_cast<int>(Qt::CopyAction)));
    const QUrl notes(received[0]);
    const QUrl docs(received[1]);
    const QUrl photo(received[2]);
    EXPECT_EQ(notes.fileName(), "notes.txt");
    EXPECT_EQ(docs.fileName(), "docs");
    EXPECT_EQ(photo.fileName(), "photo.bin");
    EXPECT_EQ(readFile(notes.toLocalFile().toStdString()), "plain notes\n");
    EXPECT_EQ(readFile(photo.toLocalFile().toStdString()), std::string(200000, 'q'));
    EXPECT_EQ(treeContents(docs.toLocalFile().toStdString()),
              treeContents(folder.path() / "source/docs"));

    target.kill();
    target.waitForFinished(5000);
    stager.shutdown();
    viewModel.cleanupPreviewCache();
}

}  // namespace
}  // namespace kelvane::testing
