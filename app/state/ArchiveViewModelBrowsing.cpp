// Browsing: which folder is shown, what the entry table and the sidebar list, what is
// selected. Heavy queries run in the background on a snapshot of the index.
#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

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

    [[nodiscard]] ArchiveItemList run(std::stop_token stop = {}) const {
        return index->items(folder, query, filter, sortField, ascending, std::move(stop))
            .retaining(index);
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
        [snapshot, selection](const TaskHandle& handle) {
            FilterResult result{snapshot.run(handle.stopToken()), {}};
            if (handle.isCancelled()) return result;
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
        sidebarIndex_.reset();
        if (!sidebarFolders_.empty()) {
            sidebarFolders_.clear();
            emit sidebarFoldersChanged();
        }
        return;
    }
    const std::shared_ptr<const ArchiveDirectoryIndex>& tree = listing_->tree();
    const ArchiveDirectoryIndex& index = *tree;
    // A node lists the paths of all its subfolders, so building one under a folder of a
    // thousand subfolders makes a thousand texts. The nodes already shown for this index
    // are taken over instead of built again: a click in the tree builds only what it
    // reveals.
    std::unordered_map<std::string_view, std::size_t> shown;
    if (sidebarIndex_.lock() == tree) {
        shown.reserve(sidebarFolders_.size());
        for (std::size_t at = 0; at < sidebarFolders_.size(); ++at) {
            shown.emplace(sidebarFolders_[at].id, at);
        }
    }
    constexpr std::size_t kBuilt = static_cast<std::size_t>(-1);
    struct Slot {
        std::size_t shownAt = kBuilt;
        std::size_t builtAt = 0;
    };
    std::vector<Slot> order;
    std::deque<ArchiveFolderNode> built;  // stays in place while the walk reads it
    // Depth first, a folder before its subfolders; a collapsed folder hides its subtree.
    std::vector<std::string_view> pending{std::string_view()};
    while (!pending.empty()) {
        const std::string_view path = pending.back();
        pending.pop_back();
        const ArchiveFolderNode* node = nullptr;
        if (const auto found = shown.find(path); found != shown.end()) {
            order.push_back({found->second, 0});
            node = &sidebarFolders_[found->second];
        } else {
            std::optional<ArchiveFolderNode> fresh = index.folderNode(path);
            if (!fresh) continue;
            order.push_back({kBuilt, built.size()});
            node = &built.emplace_back(std::move(*fresh));
        }
        if (expandedFolders_.contains(QString::fromUtf8(path.data(),
                                                        static_cast<qsizetype>(path.size())))) {
            for (auto sub = node->directSubfolderPaths.rbegin();
                 sub != node->directSubfolderPaths.rend(); ++sub) {
                pending.emplace_back(*sub);
            }
        }
    }
    std::vector<ArchiveFolderNode> folders;
    folders.reserve(order.size());
    for (const Slot& slot : order) {
        folders.push_back(slot.shownAt == kBuilt ? std::move(built[slot.builtAt])
                                                 : std::move(sidebarFolders_[slot.shownAt]));
    }
    sidebarFolders_ = std::move(folders);
    sidebarIndex_ = tree;
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
    const bool changed = !(selection == selectedEntryIDs_);
    setSelectedEntryIDs(selection, std::move(rows));
    if (!changed) return;
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
    EntrySelection::RowRanges merged = EntrySelection::mergedRows(std::move(rows));
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
