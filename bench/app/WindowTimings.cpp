// Timings of the window on a large archive, offscreen: how long until the first rows are
// painted, the longest stall of the interface thread (a 5 ms heartbeat) while the user types
// a search, the background filter runs, everything is selected, the result is sorted by
// size, the table is scrolled to the end and two tabs are switched, and the resident memory
// with everything selected. Usage: kelvane_bench_window_timings [--first-paint-only]
// ARCHIVE [SECOND_COPY]. Prints one "name value" line per figure.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <unistd.h>

#include "platform/LargeBlockRelease.hpp"
#include "platform/TimeZoneSetup.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/EntryListPane.hpp"
#include "window/EntryTableModel.hpp"
#include "window/EntryTableView.hpp"
#include "window/KelvaneApplication.hpp"
#include "window/MainWindow.hpp"
#include "window/SearchField.hpp"

namespace {

using kelvane::app::ArchiveViewModel;

QElapsedTimer sinceStart;

// The largest gap between ticks of a 5 ms timer while it runs.
class Heartbeat final : public QObject {
public:
    Heartbeat() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            // The first tick counts from the start: a stall right after it is a gap too.
            const qint64 now = clock_.nsecsElapsed();
            worst_ = std::max(worst_, now - last_);
            last_ = now;
        });
    }
    void start() {
        worst_ = 0;
        last_ = 0;
        clock_.start();
        timer_.start();
    }
    double stopMs() {
        timer_.stop();
        return static_cast<double>(worst_) / 1e6;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};

// Runs the event loop until `done` holds (checked every 5 ms) or 10 minutes pass. The loop
// sleeps between events, as the application's does: a loop that polls would take a core
// from the listing it waits for.
void runUntil(const std::function<bool()>& done) {
    if (done()) return;
    QEventLoop loop;
    QElapsedTimer bound;
    bound.start();
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || bound.elapsed() >= 600000) loop.quit();
    });
    check.start();
    loop.exec();
}

// Lets the event loop run for `ms` milliseconds.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

long residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return -1;
}

// Paint events of the table with rows in it.
class FirstRowsPainted final : public QObject {
public:
    explicit FirstRowsPainted(const QAbstractItemModel& model) : model_(model) {}
    bool painted = false;
    qint64 atMs = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted && model_.rowCount() > 0) {
            painted = true;
            atMs = sinceStart.elapsed();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QAbstractItemModel& model_;
};

}  // namespace

int main(int argc, char** argv) {
    sinceStart.start();
    kelvane::TimeZoneSetup::ensureTimeZoneVariable();  // as the application does
    const bool largeBlocksReturned = kelvane::LargeBlockRelease::returnLargeBlocksToSystem();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QStringList arguments = QApplication::arguments();
    const bool firstPaintOnly = arguments.removeAll(QStringLiteral("--first-paint-only")) > 0;
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: %s [--first-paint-only] ARCHIVE [SECOND_COPY]\n", argv[0]);
        return 2;
    }

    kelvane::app::KelvaneApplication kelvane;
    kelvane::app::MainWindow& window = kelvane.window();
    ArchiveViewModel& viewModel = kelvane.viewModel();
    kelvane::app::EntryTableView& table = window.entryList().table();
    FirstRowsPainted firstRows(*table.model());
    table.viewport()->installEventFilter(&firstRows);
    qint64 listingShownMs = -1;
    QObject::connect(&viewModel, &ArchiveViewModel::listingChanged, &viewModel, [&] {
        if (listingShownMs < 0 && viewModel.listing()) listingShownMs = sinceStart.elapsed();
    });
    kelvane.launch({arguments[0], arguments[1]}, nullptr);
    runUntil([&] { return firstRows.painted; });
    std::printf("large_blocks_returned %d\n", largeBlocksReturned ? 1 : 0);
    std::printf("listing_shown_ms %lld\n", static_cast<long long>(listingShownMs));
    std::printf("first_rows_painted_ms %lld\n", static_cast<long long>(firstRows.atMs));
    std::fflush(stdout);
    if (firstPaintOnly) _exit(0);
    idle(300);
    std::printf("resident_mb_after_open %.1f\n", static_cast<double>(residentKilobytes()) / 1024.0);
    Heartbeat heartbeat;

    // Typing a five-letter search, one key every 120 ms, then the background filter.
    kelvane::app::SearchField& search = window.entryList().searchField();
    search.setFocus();
    heartbeat.start();
    for (const char key : QByteArrayLiteral("file_")) {
        QTest::keyClick(&search, key);
        idle(120);
    }
    std::printf("typing_max_gap_ms %.1f\n", heartbeat.stopMs());
    heartbeat.start();
    runUntil([&] { return !viewModel.isFilteringAsync(); });
    idle(100);
    std::printf("filter_max_gap_ms %.1f\n", heartbeat.stopMs());
    std::printf("search_rows %d\n", table.model()->rowCount());

    heartbeat.start();
    window.action(QStringLiteral("selectAll"))->trigger();
    idle(100);
    std::printf("select_all_max_gap_ms %.1f\n", heartbeat.stopMs());

    heartbeat.start();
    QHeaderView* header = table.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kelvane::app::EntryTableModel::size) + 10,
                             header->height() / 2));
    runUntil([&] { return !viewModel.isFilteringAsync(); });
    idle(100);
    std::printf("sort_by_size_max_gap_ms %.1f\n", heartbeat.stopMs());

    heartbeat.start();
    QScrollBar* scroller = table.verticalScrollBar();
    for (int step = 0; step <= 60; ++step) {
        scroller->setValue(scroller->maximum() / 60 * step);
        idle(16);
    }
    scroller->setValue(scroller->maximum());
    idle(50);
    std::printf("scroll_max_gap_ms %.1f\n", heartbeat.stopMs());

    // Everything of the archive selected, outside the search.
    search.clear();
    viewModel.updateSearchQuery(QString());
    runUntil([&] { return !viewModel.isFilteringAsync(); });
    viewModel.selectAllVisible();
    idle(200);
    std::printf("resident_mb_all_selected %.1f\n", static_cast<double>(residentKilobytes()) / 1024.0);

    if (arguments.size() >= 3) {
        const std::size_t before = viewModel.tabs().size();
        viewModel.openArchive(arguments[2]);
        runUntil([&] { return viewModel.tabs().size() > before && !viewModel.isBusy(); });
        idle(300);
        heartbeat.start();
        for (int round = 0; round < 6; ++round) {
            window.action(QStringLiteral("nextTab"))->trigger();
            idle(150);
        }
        std::printf("tab_switch_max_gap_ms %.1f\n", heartbeat.stopMs());
        std::printf("resident_mb_two_tabs %.1f\n",
                    static_cast<double>(residentKilobytes()) / 1024.0);
    }
    std::fflush(stdout);
    _exit(0);
}
