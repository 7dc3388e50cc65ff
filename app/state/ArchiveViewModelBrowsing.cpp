// Browsing: which folder is shown, what the entry table and the sidebar list, what is
// selected. Heavy queries run in the background on a snapshot of the index.
#include <algorithm>
#include <string>

#include "index/ArchiveDirectoryIndex.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/BackgroundTask.hpp"

namespace kelvane::app {
namespace {

struct QuerySnapshot {
    std::shared_ptr<const ArchiveDirectoryIndex> index;
    std::string folder;
    std::string query;
    ArchiveFilterKind filter = ArchiveFilterKind::all;
    ArchiveSortField sortField = ArchiveSortField::name;
    bool ascending = true;

    [[nodiscard]] ArchiveItemList run() const {
        return index->items(folder, query, filter, sortField, ascending).retaining(index);
    }
};

}  // namespace

void ArchiveViewModel::rebuildDisplayedEntries(bool debounced) {
    if (filterTask_) {
        filterTask_->cancel();
        filterTask_.reset();
    }
    searchPauseTimer_.stop();
    if (!listing_) {
        setDisplayedEntries(ArchiveItemList());
        setIsFilteringAsync(false);
        return;
    }
    const ArchiveDirectoryIndex& index = *listing_->tree();
    const std::size_t entryCount = index.allEntries().size();
    // Sorting a huge folder by another column is as heavy as a search; it moves off the
    // interface thread too, so a click on a header never stalls the window.
    const bool heavySort =
        (sortField_ != ArchiveSortField::name || !sortAscending_) &&
        index.children(currentFolderPath_.toStdString()).size() > kBackgroundFilterEntryCount;
    const bool background = debounced || (entryCount > kBackgroundFilterEntryCount &&
                                          (isSearchOrFilterActive() || heavySort));
    if (!background) {
        const QuerySnapshot snapshot{listing_->tree(),
                                     currentFolderPath_.toStdString(),
                                     searchQuery_.toStdString(),
                                     filterKind_,
                                     sortField_,
                                     sortAscending_};
        setDisplayedEntries(snapshot.run());
        setIsFilteringAsync(false);
        return;
    }
    setIsFilteringAsync(true);
    if (debounced) {
        // The pause restarts with every keystroke; only the last text is queried.
        searchPauseTimer_.start();
        return;
    }
    startBackgroundFilter(false);
}

void ArchiveViewModel::startBackgroundFilter(bool /*debounced*/) {
    if (!listing_) {
        setIsFilteringAsync(false);
        return;
    }
    if (filterTask_) filterTask_->cancel();
    const QuerySnapshot snapshot{listing_->tree(),
                                 currentFolderPath_.toStdString(),
                                 searchQuery_.toStdString(),
                                 filterKind_,
                                 sortField_,
                                 sortAscending_};
    setIsFilteringAsync(true);
    // Which rows of the new list are selected is worked out here too: after a sort of a
    // million selected entries, finding them row by row would stall the window.
    struct FilterResult {
        ArchiveItemList entries;
        EntrySelection::RowRanges selectedRows;
    };
    EntrySelection selection = selectedEntryIDs_;
    filterTask_ = BackgroundTask::run(
        this,
        [snapshot, selection](const TaskHandle&) {
            FilterResult result{snapshot.run(), {}};
            result.selectedRows = selection.rowsIn(result.entries.entries());
            return result;
        },
        [this, selection](TaskOutcome<FilterResult> outcome) {
            filterTask_.reset();
            if (outcome.succeeded()) {
                std::optional<EntrySelection::RowRanges> rows;
                if (selection == selectedEntryIDs_) rows = std::move(outcome.value->selectedRows);
                setDisplayedEntries(std::move(outcome.value->entries), std::move(rows));
            }
            setIsFilteringAsync(false);
        });
}

void ArchiveViewModel::rebuildSidebarFolders() {
    if (!listing_) {
        if (!sidebarFolders_.empty()) {
            sidebarFolders_.clear();
            emit sidebarFoldersChanged();
        }
        return;
    }
    const ArchiveDirectoryIndex& index = *listing_->tree();
    std::vector<ArchiveFolderNode> folders;
    // Depth first, a folder before its subfolders; a collapsed folder hides its subtree.
    std::vector<std::string> pending{std::string()};
    while (!pending.empty()) {
        const std::string path = std::move(pending.back());
        pending.pop_back();
        std::optional<ArchiveFolderNode> node = index.folderNode(path);
        if (!node) continue;
        const bool expanded = expandedFolders_.contains(QString::fromStdString(path));
        if (expanded) {
            for (auto sub = node->directSubfolderPaths.rbegin();
                 sub != node->directSubfolderPaths.rend(); ++sub) {
                pending.push_back(*sub);
            }
        }
        folders.push_back(std::move(*node));
    }
    sidebarFolders_ = std::move(folders);
    emit sidebarFoldersChanged();
}

void ArchiveViewModel::navigateToFolder(const QString& path) {
    setCurrentFolderPath(path);
    setSelectedEntryIDs(EntrySelection());
    setSelectedTotalBytes(0);
    resetPreviewState();
    QSet<QString> expanded = expandedFolders_;
    QString way = path;
    while (!way.isEmpty()) {
        expanded.insert(way);
        const qsizetype slash = way.lastIndexOf(QLatin1Char('/'));
        if (slash < 0) break;
        way = way.left(slash);
    }
    expanded.insert(QString());
    setExpandedFolders(expanded);
    rebuildSidebarFolders();
    rebuildDisplayedEntries(false);
}

void ArchiveViewModel::navigateUpFolder() {
    if (currentFolderPath_.isEmpty()) return;
    const qsizetype slash = currentFolderPath_.lastIndexOf(QLatin1Char('/'));
    navigateToFolder(slash < 0 ? QString() : currentFolderPath_.left(slash));
}

void ArchiveViewModel::toggleFolderExpanded(const QString& path) {
    QSet<QString> expanded = expandedFolders_;
    if (!expanded.remove(path)) expanded.insert(path);
    setExpandedFolders(expanded);
    rebuildSidebarFolders();
}

void ArchiveViewModel::updateSearchQuery(const QString& text) {
    if (text == searchQuery_) return;
    setSearchQuery(text);
    // Clearing the search is plain browsing again: shown at once, never after a pause.
    const bool debounced = listing_ && listing_->info().fileCount > kDebouncedSearchFileCount &&
                           !text.trimmed().isEmpty();
    rebuildDisplayedEntries(debounced);
}

void ArchiveViewModel::updateFilterKind(ArchiveFilterKind kind) {
    if (kind == filterKind_) return;
    setFilterKind(kind);
    rebuildDisplayedEntries(false);
}

void ArchiveViewModel::setSelection(const EntrySelection& selection,
                                    std::optional<EntrySelection::RowRanges> rows) {
    if (selection == selectedEntryIDs_) {
        setSelectedEntryIDs(selection, std::move(rows));
        return;
    }
    setSelectedEntryIDs(selection, std::move(rows));
    recomputeSelectedBytes();
    if (const std::optional<ArchiveEntry> entry = primarySelectedEntry()) {
        preparePreview(*entry, false);
    } else {
        resetPreviewState();
    }
}

void ArchiveViewModel::setSelectionIDs(const std::vector<std::string>& ids) {
    if (!listing_) return;
    std::vector<std::string_view> views(ids.begin(), ids.end());
    setSelection(EntrySelection::ofIDs(listing_->tree(), views));
}

void ArchiveViewModel::selectDisplayedRows(const EntrySelection::RowRanges& rowRanges) {
    if (!listing_) return;
    const std::span<const ArchiveEntry> shown = displayedEntries_.entries();
    // The rows as given, clipped to the list, sorted and merged: they are kept as the
    // selection's rows, so the table never has to look them up again.
    EntrySelection::RowRanges rows;
    for (const auto& [first, last] : rowRanges) {
        if (first > last || first >= shown.size()) continue;
        rows.emplace_back(first, std::min(last, shown.size() - 1));
    }
    std::sort(rows.begin(), rows.end());
    EntrySelection::RowRanges merged;
    for (const auto& range : rows) {
        if (!merged.empty() && range.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    std::vector<ArchiveEntry> chosen;
    for (const auto& [first, last] : merged) {
        chosen.insert(chosen.end(), shown.begin() + static_cast<std::ptrdiff_t>(first),
                      shown.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    }
    setSelection(EntrySelection::of(listing_->tree(), chosen), std::move(merged));
}

void ArchiveViewModel::selectAllVisible() {
    if (!listing_) return;
    const std::span<const ArchiveEntry> shown = displayedEntries_.entries();
    EntrySelection::RowRanges rows;
    if (!shown.empty()) rows.emplace_back(0, shown.size() - 1);
    setSelection(EntrySelection::of(listing_->tree(), shown), std::move(rows));
}

void ArchiveViewModel::recomputeSelectedBytes() {
    if (!listing_ || selectedEntryIDs_.empty()) {
        setSelectedTotalBytes(0);
        return;
    }
    const ArchiveDirectoryIndex& index = *listing_->tree();
    std::int64_t total = 0;
    selectedEntryIDs_.forEach([&](const ArchiveEntry& entry) {
        const std::int64_t size = index.effectiveSize(entry);
        // Crafted sizes must not wrap around into a negative total.
        if (size > 0 && total > INT64_MAX - size) {
            total = INT64_MAX;
        } else {
            total += size;
        }
    });
    setSelectedTotalBytes(total);
}

}  // namespace kelvane::app
