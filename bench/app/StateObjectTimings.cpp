// Timings of the workspace state object on a huge archive, in a release build, offscreen:
// opening until the first folder is shown, the calls the views make on every click and
// keystroke, selecting a million search results, switching tabs, and the memory the state
// object adds on top of the listing. Prints one line per figure.
//
// Usage: kelvane_bench_state_object HUGE_ARCHIVE SMALL_ARCHIVE
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>

#include <malloc.h>

#include <cstdio>
#include <memory>

#include "index/ArchiveDirectoryIndex.hpp"
#include "platform/LargeBlockRelease.hpp"
#include "platform/TimeZoneSetup.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/DesktopServices.hpp"

namespace {

using kelvane::app::ArchiveViewModel;

class HeadlessDesktop final : public kelvane::app::DesktopServices {
public:
    HeadlessDesktop() { clock_.start(); }
    void chooseForOpening(const OpenPanelRequest&, std::function<void(QList<QUrl>)>) override {}
    void chooseSaveLocation(const SavePanelRequest&,
                            std::function<void(std::optional<QUrl>)>) override {}
    void openUrl(const QUrl&) override {}
    void revealFile(const QString&) override {}
    void openFolder(const QString&) override {}
    void copyToClipboard(const QString&) override {}
    [[nodiscard]] bool isQuickLookVisible() const override { return false; }
    void showQuickLook(const QString&) override {}
    void closeQuickLook() override {}
    [[nodiscard]] double nowSeconds() const override {
        return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    }

private:
    QElapsedTimer clock_;
};

double milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

std::size_t heapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

template <class Call>
double timed(Call call) {
    QElapsedTimer timer;
    timer.start();
    call();
    return milliseconds(timer);
}

bool waitUntil(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 600000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HUGE_ARCHIVE SMALL_ARCHIVE\n", argv[0]);
        return 2;
    }
    // As the application does: before any thread, so listings convert times cheaply.
    kelvane::TimeZoneSetup::ensureTimeZoneVariable();
    kelvane::LargeBlockRelease::returnLargeBlocksToSystem();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    HeadlessDesktop desktop;
    ArchiveViewModel model(desktop);
    const QString huge = QString::fromLocal8Bit(argv[1]);
    const QString small = QString::fromLocal8Bit(argv[2]);

    QElapsedTimer opening;
    opening.start();
    model.openArchive(huge);
    if (!waitUntil([&] { return model.listing() && !model.isBusy() && !model.displayedEntries().empty(); })) {
        std::fprintf(stderr, "the archive did not open\n");
        return 1;
    }
    std::printf("open_to_first_folder_ms %.1f\n", milliseconds(opening));
    const auto entryCount = model.listing()->tree()->allEntries().size();
    std::printf("entries %zu\n", entryCount);
    model.setSelection({});
    const std::size_t heapBefore = heapInUse();

    // The calls the views make; the heavy part of each runs in the background.
    const double search = timed([&] { model.updateSearchQuery(QStringLiteral(".txt")); });
    if (!waitUntil([&] { return !model.isFilteringAsync(); })) return 1;
    std::printf("call_updateSearchQuery_ms %.3f\n", search);
    std::printf("search_result_rows %zu\n", model.displayedEntries().size());
    const double sort = timed([&] { model.changeSort(kelvane::ArchiveSortField::size, false); });
    if (!waitUntil([&] { return !model.isFilteringAsync(); })) return 1;
    std::printf("call_changeSort_ms %.3f\n", sort);
    const double oneRow = timed([&] { model.selectDisplayedRows({{5, 5}}); });
    std::printf("call_setSelection_one_row_ms %.3f\n", oneRow);

    const double selectAll = timed([&] { model.selectAllVisible(); });
    std::printf("selectAllVisible_ms %.1f (selected %zu, %lld bytes)\n", selectAll,
                model.selectedEntryIDs().size(),
                static_cast<long long>(model.selectedTotalBytes()));
    const std::size_t heapAfter = heapInUse();
    std::printf("state_bytes_per_entry %.1f\n",
                static_cast<double>(heapAfter - heapBefore) / static_cast<double>(entryCount));

    model.openArchive(small);
    if (!waitUntil([&] { return model.tabs().size() == 2 && !model.isBusy(); })) return 1;
    const QUuid hugeTab = model.tabs()[0].id;
    const QUuid smallTab = model.tabs()[1].id;
    const double switchBack = timed([&] {
        model.switchToTab(hugeTab);
    });
    if (!waitUntil([&] { return !model.isFilteringAsync(); })) return 1;
    std::printf("switch_back_to_huge_tab_ms %.1f (selected %zu)\n", switchBack,
                model.selectedEntryIDs().size());
    const double switchAway = timed([&] { model.switchToTab(smallTab); });
    std::printf("switch_away_ms %.1f\n", switchAway);

    model.switchToTab(hugeTab);
    if (!waitUntil([&] { return !model.isFilteringAsync(); })) return 1;
    model.updateSearchQuery(QString());
    // The deepest last folder, found before the clock starts: only the call is timed.
    const QString lastFolder =
        QString::fromStdString(std::string(model.listing()->tree()->allFolderPathsSorted().back()));
    const double navigate = timed([&] { model.navigateToFolder(lastFolder); });
    std::printf("call_navigateToFolder_ms %.3f\n", navigate);
    model.cleanupPreviewCache();
    return 0;
}
