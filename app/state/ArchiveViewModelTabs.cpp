// Opening archives into tabs, and switching, saving and closing tabs.
#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "platform/LocaleNumberFormat.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/BackgroundTask.hpp"
#include "state/EngineFailure.hpp"
#include "state/ViewModelText.hpp"

namespace kelvane::app {
namespace {

QString standardizedPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QSet<QString> initialExpandedFolders(const ArchiveListing& listing) {
    QSet<QString> expanded{QString()};
    if (const auto root = listing.tree()->singleRootFolderName()) {
        expanded.insert(QString::fromUtf8(root->data(), static_cast<qsizetype>(root->size())));
    }
    return expanded;
}

QString initialFolder(const ArchiveListing& listing) {
    if (const auto root = listing.tree()->singleRootFolderName()) {
        return QString::fromUtf8(root->data(), static_cast<qsizetype>(root->size()));
    }
    return {};
}

}  // namespace

void ArchiveViewModel::openArchive(const QString& path,
                                   const std::optional<std::string>& password) {
    readArchive(path, password, false);
}

void ArchiveViewModel::reloadArchive() {
    if (!listing_) return;
    readArchive(archivePath(), sessionPassword_, true);
}

void ArchiveViewModel::readArchive(const QString& path, const std::optional<std::string>& password,
                                   bool evenIfShown) {
    const QString standardized = standardizedPath(path);
    if (!QFileInfo::exists(standardized)) {
        showToast(ViewModelText::t("Archive file not found.", "Arşiv dosyası bulunamadı."), true);
        return;
    }
    if (!password && !evenIfShown) {
        for (const ArchiveTabSession& tab : tabs_) {
            if (tab.url == standardized) {
                switchToTab(tab.id);
                return;
            }
        }
    }

    const QString fileName = QFileInfo(standardized).fileName();
    const TokenPointer token = enterBusy(
        ViewModelText::t("Reading archive headers…", "Arşiv okunuyor…"), fileName, 0, false);
    runningOpenings_.push_back(token);

    QPointer<ArchiveViewModel> self(this);
    const std::string archive = standardized.toStdString();
    const AppLanguage language = language_;
    auto onCount = [self, fileName, language](std::int64_t count) {
        if (self.isNull()) return;
        BackgroundTask::post(self.data(), [self, fileName, language, count] {
            if (self.isNull()) return;
            const QString grouped = QString::fromStdString(
                LocaleNumberFormat::groupedDecimal(count, language.locale()));
            self->setBusyDetail(fileName + QStringLiteral(" · ") + grouped +
                                ViewModelText::t(" files indexed…", " dosya okundu…"));
        });
    };
    const ArchiveEngineService engine = engine_;
    BackgroundTask::run(
        this,
        [engine, archive, password, token, onCount](const TaskHandle&) {
            return engine.listArchive(archive, password, token, onCount);
        },
        [this, token, standardized, password](TaskOutcome<ArchiveListing> outcome) {
            openingFinished(token);
            if (outcome.succeeded()) {
                installOpenedArchive(*outcome.value, password);
                return;
            }
            if (EngineFailure::kindOf(outcome.failure) == ArchiveEngineError::Case::cancelled) {
                return;
            }
            if (requestPasswordAfter(outcome.failure,
                                     PendingPasswordAction::openArchive(standardized))) {
                return;
            }
            showToast(EngineFailure::text(outcome.failure), true);
        });
}

void ArchiveViewModel::openingFinished(const TokenPointer& token) {
    std::erase(runningOpenings_, token);
    // While another opening still reads its archive the display stays and Cancel reaches
    // it; the last one to end takes the display down, unless another operation has taken
    // the display over since.
    if (!runningOpenings_.empty()) {
        if (activeCancellation_ == token) activeCancellation_ = runningOpenings_.back();
        return;
    }
    if (!activeCancellation_ || activeCancellation_ == token) finishBusy();
}

void ArchiveViewModel::installOpenedArchive(const ArchiveListing& listing,
                                            const std::optional<std::string>& password) {
    persistActiveTabSnapshot();

    const QString url = QString::fromStdString(listing.info().url.string());
    const QString cacheDir =
        QDir(sessionCacheRoot_)
            .filePath(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    ArchiveTabSession record{
        .id = QUuid::createUuid(),
        .title = QFileInfo(url).fileName(),
        .url = url,
        .listing = listing,
        .currentFolderPath = initialFolder(listing),
        .selectedEntryIDs = {},
        .selectedTotalBytes = 0,
        .searchQuery = {},
        .filterKind = ArchiveFilterKind::all,
        .sortField = ArchiveSortField::name,
        .sortAscending = true,
        .expandedFolders = initialExpandedFolders(listing),
        .sessionPassword = password,
        .cacheDir = cacheDir,
    };
    bool replaced = false;
    for (ArchiveTabSession& tab : tabs_) {
        if (tab.url == url) {
            record.id = tab.id;
            tab = record;
            replaced = true;
            break;
        }
    }
    if (!replaced) tabs_.push_back(record);
    emit tabsChanged();

    setActiveTabID(record.id);
    setListing(listing);
    sessionPassword_ = password;
    setCurrentFolderPath(record.currentFolderPath);
    setSelectedEntryIDs(EntrySelection());
    setSelectedTotalBytes(0);
    setSearchQuery(QString());
    setFilterKind(ArchiveFilterKind::all);
    setSortField(ArchiveSortField::name);
    setSortAscending(true);
    setExpandedFolders(record.expandedFolders);
    setCurrentArchiveCacheDir(cacheDir);
    setExtractDestination(QFileInfo(url).absolutePath());

    resetPreviewState();
    rememberRecent(url);
    rebuildSidebarFolders();
    rebuildDisplayedEntries(false);

    if (!listing.info().isSolid) {
        for (const ArchiveEntry& entry : displayedEntries_) {
            if (!entry.isDirectory()) {
                const std::string_view id = entry.id();
                setSelection(EntrySelection::ofIDs(listing.tree(), std::span(&id, 1)));
                break;
            }
        }
    }
}

void ArchiveViewModel::showListing(const ArchiveListing& listing) {
    installOpenedArchive(listing, std::nullopt);
}

void ArchiveViewModel::persistActiveTabSnapshot() {
    if (!activeTabID_) return;
    for (ArchiveTabSession& tab : tabs_) {
        if (tab.id != *activeTabID_) continue;
        tab.currentFolderPath = currentFolderPath_;
        tab.selectedEntryIDs = selectedEntryIDs_;
        tab.selectedTotalBytes = selectedTotalBytes_;
        tab.searchQuery = searchQuery_;
        tab.filterKind = filterKind_;
        tab.sortField = sortField_;
        tab.sortAscending = sortAscending_;
        tab.expandedFolders = expandedFolders_;
        tab.sessionPassword = sessionPassword_;
        return;
    }
}

void ArchiveViewModel::applyTabState(const ArchiveTabSession& tab) {
    setActiveTabID(tab.id);
    setListing(tab.listing);
    setCurrentFolderPath(tab.currentFolderPath);
    setSelectedEntryIDs(tab.selectedEntryIDs);
    setSearchQuery(tab.searchQuery);
    setFilterKind(tab.filterKind);
    setSortField(tab.sortField);
    setSortAscending(tab.sortAscending);
    setExpandedFolders(tab.expandedFolders);
    sessionPassword_ = tab.sessionPassword;
    setCurrentArchiveCacheDir(tab.cacheDir);
    setExtractDestination(QFileInfo(tab.url).absolutePath());
}

void ArchiveViewModel::switchToTab(const QUuid& id) {
    if (activeTabID_ && *activeTabID_ == id) return;
    const auto found = std::find_if(tabs_.begin(), tabs_.end(),
                                    [&](const ArchiveTabSession& tab) { return tab.id == id; });
    if (found == tabs_.end()) return;
    persistActiveTabSnapshot();
    // Copied: the snapshot above may not move the vector, but the setters emit signals
    // whose receivers may call back into this object.
    const ArchiveTabSession tab = *found;
    applyTabState(tab);
    setSelectedTotalBytes(tab.selectedTotalBytes);
    resetPreviewState();
    rebuildSidebarFolders();
    rebuildDisplayedEntries(false);
    if (const std::optional<ArchiveEntry> entry = primarySelectedEntry()) {
        preparePreview(*entry, false);
    }
}

void ArchiveViewModel::closeTab(const QUuid& id) {
    const auto found = std::find_if(tabs_.begin(), tabs_.end(),
                                    [&](const ArchiveTabSession& tab) { return tab.id == id; });
    if (found == tabs_.end()) return;
    const auto position = static_cast<std::size_t>(found - tabs_.begin());
    const QString cacheDir = found->cacheDir;
    tabs_.erase(found);
    emit tabsChanged();
    std::error_code ignored;
    std::filesystem::remove_all(cacheDir.toStdString(), ignored);

    if (!activeTabID_ || *activeTabID_ != id) return;

    if (tabs_.empty()) {
        setActiveTabID(std::nullopt);
        setListing(std::nullopt);
        setCurrentFolderPath(QString());
        setSelectedEntryIDs(EntrySelection());
        setSearchQuery(QString());
        setFilterKind(ArchiveFilterKind::all);
        setExpandedFolders(QSet<QString>{QString()});
        sessionPassword_.reset();
        setCurrentArchiveCacheDir(std::nullopt);
        setSelectedTotalBytes(0);
        resetPreviewState();
        rebuildSidebarFolders();
        rebuildDisplayedEntries(false);
        return;
    }
    setActiveTabID(std::nullopt);
    switchToTab(tabs_[std::min(position, tabs_.size() - 1)].id);
}

}  // namespace kelvane::app
