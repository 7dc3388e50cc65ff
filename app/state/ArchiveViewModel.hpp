// The one state object of the application: the open archives as tabs, the browsing state
// of the active one, the busy display, notices, previews, the password flow and every user
// action. The windows read its values, listen to its change signals and call its actions;
// it runs the engine in the background and writes every value on the interface thread.
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ArchiveEngineService.hpp"
#include "engine/ProgressHandler.hpp"
#include "index/ArchiveItemList.hpp"
#include "localization/AppLanguage.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveFilterKind.hpp"
#include "model/ArchiveFolderNode.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ArchiveSortField.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "model/ExtractOverwriteMode.hpp"
#include "model/FileChecksumReport.hpp"
#include "state/ArchiveTabSession.hpp"
#include "state/EntrySelection.hpp"
#include "state/PendingPasswordAction.hpp"
#include "state/QuickLookDataSource.hpp"
#include "state/TaskHandle.hpp"

namespace kelvane {
class ProcessCancellationToken;
}

namespace kelvane::app {

class DesktopServices;

class ArchiveViewModel final : public QObject {
    Q_OBJECT

public:
    // Archives recorded as recently opened, most recent first.
    static constexpr const char* recentKey = "com.tessaloom.kelvane.recentArchives";
    static constexpr int kMaxRecentArchives = 10;
    // Searches in archives with more files than this wait for a pause in typing.
    static constexpr std::int64_t kDebouncedSearchFileCount = 2000;
    // Searches and filters over more entries than this run in the background.
    static constexpr std::size_t kBackgroundFilterEntryCount = 3500;
    static constexpr int kSearchPauseMs = 90;
    static constexpr int kNoticeDurationMs = 3200;
    // Larger entries, and every entry of a solid archive, wait for the user's Load.
    static constexpr std::int64_t kAutomaticPreviewByteLimit = 15 * 1024 * 1024;
    static constexpr std::int64_t kTextPreviewByteLimit = 200000;

    // `desktop` must outlive the object.
    explicit ArchiveViewModel(DesktopServices& desktop, QObject* parent = nullptr);
    ~ArchiveViewModel() override;

    // --- Engine, language and tabs ---
    [[nodiscard]] const ArchiveEngineService& engine() const { return engine_; }
    [[nodiscard]] AppLanguage language() const { return language_; }
    [[nodiscard]] bool isFollowingSystemLanguage() const { return isFollowingSystemLanguage_; }
    [[nodiscard]] const std::vector<ArchiveTabSession>& tabs() const { return tabs_; }
    [[nodiscard]] const std::optional<QUuid>& activeTabID() const { return activeTabID_; }

    // --- Browsing state of the active tab ---
    [[nodiscard]] const std::optional<ArchiveListing>& listing() const { return listing_; }
    [[nodiscard]] const QString& currentFolderPath() const { return currentFolderPath_; }
    [[nodiscard]] const EntrySelection& selectedEntryIDs() const { return selectedEntryIDs_; }
    // The rows of `displayedEntries` that are selected. Known without a look-up when the
    // selection was made from rows or the list was sorted in the background; otherwise
    // worked out once per change of either.
    [[nodiscard]] const EntrySelection::RowRanges& selectedDisplayedRows() const;
    [[nodiscard]] const QString& searchQuery() const { return searchQuery_; }
    [[nodiscard]] ArchiveFilterKind filterKind() const { return filterKind_; }
    [[nodiscard]] ArchiveSortField sortField() const { return sortField_; }
    [[nodiscard]] bool sortAscending() const { return sortAscending_; }
    [[nodiscard]] const QSet<QString>& expandedFolders() const { return expandedFolders_; }
    [[nodiscard]] const QStringList& recentArchiveURLs() const { return recentArchiveURLs_; }
    // Handles into the listing's index (which the list keeps alive), never copies.
    [[nodiscard]] const ArchiveItemList& displayedEntries() const { return displayedEntries_; }
    [[nodiscard]] const std::vector<ArchiveFolderNode>& sidebarFolders() const {
        return sidebarFolders_;
    }
    [[nodiscard]] bool isFilteringAsync() const { return isFilteringAsync_; }
    [[nodiscard]] std::int64_t selectedTotalBytes() const { return selectedTotalBytes_; }
    [[nodiscard]] std::int64_t searchFocusPulse() const { return searchFocusPulse_; }
    [[nodiscard]] bool showSidebar() const { return showSidebar_; }
    [[nodiscard]] bool showPreviewPanel() const { return showPreviewPanel_; }

    // --- Cache folders ---
    [[nodiscard]] const QString& sessionCacheRoot() const { return sessionCacheRoot_; }
    [[nodiscard]] const std::optional<QString>& currentArchiveCacheDir() const {
        return currentArchiveCacheDir_;
    }

    // --- Preview and checksums ---
    [[nodiscard]] const std::optional<QString>& previewedEntryID() const {
        return previewedEntryID_;
    }
    [[nodiscard]] const std::optional<QImage>& previewImage() const { return previewImage_; }
    [[nodiscard]] const std::optional<QString>& previewText() const { return previewText_; }
    [[nodiscard]] const std::optional<QString>& previewLocalFileURL() const {
        return previewLocalFileURL_;
    }
    [[nodiscard]] bool isLoadingPreview() const { return isLoadingPreview_; }
    [[nodiscard]] bool previewRequiresManualLoad() const { return previewRequiresManualLoad_; }
    [[nodiscard]] const std::optional<QString>& previewErrorText() const {
        return previewErrorText_;
    }
    [[nodiscard]] const std::optional<FileChecksumReport>& activeChecksums() const {
        return activeChecksums_;
    }
    [[nodiscard]] bool isComputingChecksums() const { return isComputingChecksums_; }

    // --- Password ---
    [[nodiscard]] const std::optional<std::string>& sessionPassword() const {
        return sessionPassword_;
    }
    [[nodiscard]] bool showPasswordSheet() const { return showPasswordSheet_; }
    [[nodiscard]] const QString& passwordSheetInput() const { return passwordSheetInput_; }
    [[nodiscard]] const std::optional<QString>& passwordSheetError() const {
        return passwordSheetError_;
    }
    [[nodiscard]] const std::optional<PendingPasswordAction>& pendingPasswordAction() const {
        return pendingPasswordAction_;
    }

    // --- Busy state ---
    [[nodiscard]] bool isBusy() const { return isBusy_; }
    [[nodiscard]] const QString& busyTitle() const { return busyTitle_; }
    [[nodiscard]] const QString& busyDetail() const { return busyDetail_; }
    [[nodiscard]] const QString& busySpeedText() const { return busySpeedText_; }
    [[nodiscard]] const std::optional<double>& busyProgress() const { return busyProgress_; }
    [[nodiscard]] double operationStartTime() const { return operationStartTime_; }
    [[nodiscard]] std::int64_t operationTotalBytes() const { return operationTotalBytes_; }

    // --- Sheets ---
    [[nodiscard]] bool showExtractSheet() const { return showExtractSheet_; }
    [[nodiscard]] bool extractSelectedOnly() const { return extractSelectedOnly_; }
    [[nodiscard]] const QString& extractDestination() const { return extractDestination_; }
    [[nodiscard]] bool extractSmartSubfolder() const { return extractSmartSubfolder_; }
    [[nodiscard]] ExtractOverwriteMode extractOverwriteMode() const {
        return extractOverwriteMode_;
    }
    [[nodiscard]] bool extractOpenInFinder() const { return extractOpenInFinder_; }
    [[nodiscard]] const QString& extractPasswordInput() const { return extractPasswordInput_; }
    [[nodiscard]] bool showCreateSheet() const { return showCreateSheet_; }
    [[nodiscard]] bool showConvertSheet() const { return showConvertSheet_; }
    [[nodiscard]] const QStringList& createSourceURLs() const { return createSourceURLs_; }
    [[nodiscard]] const CreateArchiveOptions& createOptions() const { return createOptions_; }

    // --- Notices and quick look ---
    [[nodiscard]] const std::optional<QString>& toastMessage() const { return toastMessage_; }
    [[nodiscard]] bool toastIsError() const { return toastIsError_; }
    [[nodiscard]] const QuickLookDataSource& quickLookCoordinator() const {
        return quickLookCoordinator_;
    }

    // --- Derived values ---
    [[nodiscard]] bool isSearchOrFilterActive() const;
    [[nodiscard]] std::optional<ArchiveEntry> primarySelectedEntry() const;
    [[nodiscard]] std::vector<ArchiveEntry> selectedEntries() const;
    [[nodiscard]] const ArchiveTabSession* activeTab() const;
    // The archive shown, as a path; empty with none.
    [[nodiscard]] QString archivePath() const;

    // --- Plain setters bound by the views and sheets ---
    void setShowSidebar(bool show);
    void setShowPreviewPanel(bool show);
    void setShowExtractSheet(bool show);
    void setExtractSelectedOnly(bool selectedOnly);
    void setExtractDestination(const QString& folder);
    void setExtractSmartSubfolder(bool smart);
    void setExtractOverwriteMode(ExtractOverwriteMode mode);
    void setExtractOpenInFinder(bool open);
    void setExtractPasswordInput(const QString& password);
    void setShowCreateSheet(bool show);
    void setShowConvertSheet(bool show);
    void setCreateSourceURLs(const QStringList& sources);
    void setCreateOptions(const CreateArchiveOptions& options);
    void setPasswordSheetInput(const QString& text);
    // The column header writes these, then rebuilds the entries.
    void setSortField(ArchiveSortField field);
    void setSortAscending(bool ascending);
    // Both at once, then the rebuild: what a click on a column header does.
    void changeSort(ArchiveSortField field, bool ascending);
    void pulseSearchFocus();

    // --- Language ---
    void chooseLanguage(AppLanguage language);
    void followSystemLanguage();

    // --- Recents and cache ---
    void rememberRecent(const QString& path);
    void loadRecents();
    void resetPreviewState();
    // Stops every running task and removes the session cache root; called before quitting.
    void cleanupPreviewCache();
    // Creates the session cache root (owner only) if needed; throws when it cannot, or when
    // something not private to this user sits under its name.
    void ensureCacheRoot() const;

    // --- Tabs and opening ---
    void openArchive(const QString& path, const std::optional<std::string>& password = {});
    // Shows a listing read elsewhere (a benchmark, a window test with a synthetic listing of
    // a million entries) in a tab, exactly as if it had just been opened.
    void showListing(const ArchiveListing& listing);
    // Reads the shown archive again, with the tab's password, even without one (F5).
    void reloadArchive();
    void switchToTab(const QUuid& id);
    void closeTab(const QUuid& id);
    void persistActiveTabSnapshot();

    // --- Browsing ---
    void rebuildDisplayedEntries(bool debounced);
    void rebuildSidebarFolders();
    void navigateToFolder(const QString& path);
    void navigateUpFolder();
    void toggleFolderExpanded(const QString& path);
    void updateSearchQuery(const QString& text);
    void updateFilterKind(ArchiveFilterKind kind);
    // `rows`, when given, are the displayed rows the selection covers.
    void setSelection(const EntrySelection& selection,
                      std::optional<EntrySelection::RowRanges> rows = std::nullopt);
    // Convenience for callers that hold ids or rows.
    void setSelectionIDs(const std::vector<std::string>& ids);
    void selectDisplayedRows(const EntrySelection::RowRanges& rowRanges);
    void selectAllVisible();
    void recomputeSelectedBytes();

    // --- Busy state, notices, passwords ---
    void finishBusy();
    void showToast(const QString& message, bool isError);
    void requestPassword(const PendingPasswordAction& action,
                         const std::optional<QString>& error);
    void submitPasswordSheet();
    void cancelPasswordSheet();
    // The busy display's Cancel: stops the running operation and every running opening.
    void cancelActiveOperation();

    // --- Extract, test, add, delete ---
    void presentExtractSheet(bool selectedOnly);
    void chooseExtractDestinationFolder();
    void quickExtractHere(bool selectedOnly);
    void executeExtract();
    void runArchiveIntegrityTest();
    void promptAddFilesToOpenArchive();
    void addFilesToCurrentArchive(const QStringList& paths);
    void deleteSelectedEntriesFromArchive();
    void revealArchiveInFinder();
    // Copies a text and says so in a notice.
    void copyToClipboard(const QString& text, const QString& notice);

    // --- Create and convert ---
    void presentCreateArchiveSheet();
    void promptAddSourceItemsForCreation();
    void removeCreateSource(int position);
    void promptSaveAndCreateArchive();
    void executeCreateArchive(const QString& destination);
    void presentConvertSheet();
    void promptSaveAndConvertArchive();
    void executeConvertArchive(const QString& destination);
    // The file name the save panels propose.
    [[nodiscard]] QString proposedCreateArchiveName() const;
    [[nodiscard]] QString proposedConvertArchiveName() const;

    // --- Preview, open entry, quick look, checksums ---
    void preparePreview(const ArchiveEntry& entry, bool forceLoad);
    void openEntryDirectly(const ArchiveEntry& entry);
    void toggleQuickLookForSelection();
    void presentQuickLook(const QString& path);
    void computeChecksums(const ArchiveEntry& entry);
    [[nodiscard]] static bool isPreviewable(const ArchiveEntry& entry);

    // --- Dropped and chosen files ---
    void promptOpenArchive();
    void handleDroppedURLs(const QList<QUrl>& urls);

signals:
    void languageChanged();
    void isFollowingSystemLanguageChanged();
    void tabsChanged();
    void activeTabIDChanged();
    void listingChanged();
    void currentFolderPathChanged();
    void selectedEntryIDsChanged();
    void searchQueryChanged();
    void filterKindChanged();
    void sortFieldChanged();
    void sortAscendingChanged();
    void expandedFoldersChanged();
    void recentArchiveURLsChanged();
    void displayedEntriesChanged();
    void sidebarFoldersChanged();
    void isFilteringAsyncChanged();
    void selectedTotalBytesChanged();
    void searchFocusPulseChanged();
    void showSidebarChanged();
    void showPreviewPanelChanged();
    void previewedEntryIDChanged();
    void previewImageChanged();
    void previewTextChanged();
    void previewLocalFileURLChanged();
    void isLoadingPreviewChanged();
    void previewRequiresManualLoadChanged();
    void previewErrorTextChanged();
    void activeChecksumsChanged();
    void isComputingChecksumsChanged();
    void showPasswordSheetChanged();
    void passwordSheetInputChanged();
    void passwordSheetErrorChanged();
    void isBusyChanged();
    void busyTitleChanged();
    void busyDetailChanged();
    void busySpeedTextChanged();
    void busyProgressChanged();
    void showExtractSheetChanged();
    void extractSelectedOnlyChanged();
    void extractDestinationChanged();
    void extractSmartSubfolderChanged();
    void extractOverwriteModeChanged();
    void extractOpenInFinderChanged();
    void extractPasswordInputChanged();
    void showCreateSheetChanged();
    void showConvertSheetChanged();
    void createSourceURLsChanged();
    void createOptionsChanged();
    void toastMessageChanged();
    void toastIsErrorChanged();

private:
    using TokenPointer = std::shared_ptr<ProcessCancellationToken>;

    // Busy state entry, in its fixed order; returns the operation's token.
    TokenPointer enterBusy(const QString& title, const QString& detail,
                           std::int64_t expectedBytes, bool measurable);
    // The engine's progress callback: thinned in the engine's throttle, then one
    // interface-thread task per report that passes.
    [[nodiscard]] ProgressHandler makeProgressHandler();
    void applyProgress(double fraction, const QString& detail);
    // Reads an archive into a tab; with `evenIfShown` an archive already in a tab is read
    // again even without a password (after it was changed on disk).
    void readArchive(const QString& path, const std::optional<std::string>& password,
                     bool evenIfShown);
    void appendCreateSources(const QList<QUrl>& chosen);
    // When `failure` is a password problem, asks for a password to resume `action` (with the
    // wrong-password message when one was given) and answers true.
    bool requestPasswordAfter(const std::exception_ptr& failure,
                              const PendingPasswordAction& action);
    void installOpenedArchive(const ArchiveListing& listing,
                              const std::optional<std::string>& password);
    void openingFinished(const TokenPointer& token);
    void applyTabState(const ArchiveTabSession& tab);
    void startBackgroundFilter(bool debounced);
    void deliverPreview(const QString& entryID, const QString& localFile,
                        std::optional<QImage> image, std::optional<QString> text);
    [[nodiscard]] QString cacheFolder() const;
    [[nodiscard]] QString archiveFolder() const;
    [[nodiscard]] std::optional<std::string> effectivePassword(const QString& typed) const;

    void setListing(std::optional<ArchiveListing> listing);
    void setCurrentFolderPath(const QString& path);
    // `rows`, when given, are the displayed rows the selection covers.
    void setSelectedEntryIDs(const EntrySelection& selection,
                             std::optional<EntrySelection::RowRanges> rows = std::nullopt);
    void setSearchQuery(const QString& text);
    void setFilterKind(ArchiveFilterKind kind);
    void setExpandedFolders(const QSet<QString>& folders);
    // `selectedRows`, when given, are the rows of `entries` the current selection covers.
    void setDisplayedEntries(ArchiveItemList entries,
                             std::optional<EntrySelection::RowRanges> selectedRows = std::nullopt);
    void setIsFilteringAsync(bool filtering);
    void setSelectedTotalBytes(std::int64_t bytes);
    void setActiveTabID(const std::optional<QUuid>& id);
    void setCurrentArchiveCacheDir(const std::optional<QString>& folder);
    void setIsLoadingPreview(bool loading);
    void setPreviewRequiresManualLoad(bool manual);
    void setPreviewErrorText(const std::optional<QString>& text);
    void setPreviewLocalFileURL(const std::optional<QString>& path);
    void setPreviewedEntryID(const std::optional<QString>& id);
    void setIsComputingChecksums(bool computing);
    void setActiveChecksums(const std::optional<FileChecksumReport>& report);
    void setShowPasswordSheet(bool show);
    void setPasswordSheetError(const std::optional<QString>& error);
    void setBusyDetail(const QString& detail);
    void setBusySpeedText(const QString& text);
    void setBusyProgress(const std::optional<double>& progress);
    void setIsBusy(bool busy);
    void setBusyTitle(const QString& title);
    void setToastMessage(const std::optional<QString>& message);
    void setToastIsError(bool isError);

    DesktopServices& desktop_;
    ArchiveEngineService engine_;

    AppLanguage language_;
    bool isFollowingSystemLanguage_ = true;
    std::vector<ArchiveTabSession> tabs_;
    std::optional<QUuid> activeTabID_;

    std::optional<ArchiveListing> listing_;
    QString currentFolderPath_;
    EntrySelection selectedEntryIDs_;
    mutable std::optional<EntrySelection::RowRanges> selectedDisplayedRows_;
    QString searchQuery_;
    ArchiveFilterKind filterKind_ = ArchiveFilterKind::all;
    ArchiveSortField sortField_ = ArchiveSortField::name;
    bool sortAscending_ = true;
    QSet<QString> expandedFolders_{QString()};
    QStringList recentArchiveURLs_;
    ArchiveItemList displayedEntries_;
    std::vector<ArchiveFolderNode> sidebarFolders_;
    // The index the sidebar's nodes were built from.
    std::weak_ptr<const ArchiveDirectoryIndex> sidebarIndex_;
    bool isFilteringAsync_ = false;
    std::int64_t selectedTotalBytes_ = 0;
    std::int64_t searchFocusPulse_ = 0;
    std::optional<TaskHandle> filterTask_;
    QTimer searchPauseTimer_;
    bool showSidebar_ = true;
    bool showPreviewPanel_ = true;

    QString sessionCacheRoot_;
    bool cacheCleanupRequested_ = false;
    std::optional<QString> currentArchiveCacheDir_;

    std::optional<TaskHandle> previewTask_;
    TokenPointer previewCancellation_;
    std::optional<QString> previewedEntryID_;
    std::optional<QImage> previewImage_;
    std::optional<QString> previewText_;
    std::optional<QString> previewLocalFileURL_;
    bool isLoadingPreview_ = false;
    bool previewRequiresManualLoad_ = false;
    std::optional<QString> previewErrorText_;
    std::optional<FileChecksumReport> activeChecksums_;
    bool isComputingChecksums_ = false;

    std::optional<std::string> sessionPassword_;
    bool showPasswordSheet_ = false;
    QString passwordSheetInput_;
    std::optional<QString> passwordSheetError_;
    std::optional<PendingPasswordAction> pendingPasswordAction_;

    bool isBusy_ = false;
    QString busyTitle_;
    QString busyDetail_;
    QString busySpeedText_;
    std::optional<double> busyProgress_;
    TokenPointer activeCancellation_;
    double operationStartTime_ = 0;
    std::int64_t operationTotalBytes_ = 0;
    // Openings run side by side; the busy display stays until the last one ends and
    // Cancel stops all of them.
    std::vector<TokenPointer> runningOpenings_;
    // Tokens of work that has no Cancel button (quick look, checksums), stopped at quit.
    std::vector<TokenPointer> backgroundTokens_;

    bool showExtractSheet_ = false;
    bool extractSelectedOnly_ = false;
    QString extractDestination_;
    bool extractSmartSubfolder_ = true;
    ExtractOverwriteMode extractOverwriteMode_ = ExtractOverwriteMode::overwrite;
    bool extractOpenInFinder_ = true;
    QString extractPasswordInput_;
    bool showCreateSheet_ = false;
    bool showConvertSheet_ = false;
    QStringList createSourceURLs_;
    CreateArchiveOptions createOptions_;

    std::optional<QString> toastMessage_;
    bool toastIsError_ = false;
    QTimer toastTimer_;
    QuickLookDataSource quickLookCoordinator_;
};

}  // namespace kelvane::app
