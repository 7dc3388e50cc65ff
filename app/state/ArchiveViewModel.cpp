#include "state/ArchiveViewModel.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/ProgressThrottle.hpp"
#include "localization/S.hpp"
#include "platform/AppFolders.hpp"
#include "platform/UserDefaults.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "state/BackgroundTask.hpp"
#include "state/BusySpeedText.hpp"
#include "state/DesktopServices.hpp"
#include "state/EngineFailure.hpp"
#include "state/ViewModelText.hpp"

namespace kelvane::app {
namespace {

template <class T>
bool assignValue(T& member, const T& value) {
    if (member == value) return false;
    member = value;
    return true;
}

QString defaultExtractDestination() {
    return QDir(QDir::homePath()).filePath(QStringLiteral("Downloads"));
}

}  // namespace

ArchiveViewModel::ArchiveViewModel(DesktopServices& desktop, QObject* parent)
    : QObject(parent),
      desktop_(desktop),
      language_(AppLanguage::current()),
      isFollowingSystemLanguage_(AppLanguage::isFollowingSystem()),
      sessionCacheRoot_(
          QDir(QString::fromStdString(std::filesystem::temp_directory_path()))
              .filePath(
                  QStringLiteral("KelvanePreview-%1").arg(QCoreApplication::applicationPid()))),
      extractDestination_(defaultExtractDestination()) {
    searchPauseTimer_.setSingleShot(true);
    searchPauseTimer_.setInterval(kSearchPauseMs);
    connect(&searchPauseTimer_, &QTimer::timeout, this, [this] { startBackgroundFilter(false); });
    toastTimer_.setSingleShot(true);
    toastTimer_.setInterval(kNoticeDurationMs);
    connect(&toastTimer_, &QTimer::timeout, this, [this] { setToastMessage(std::nullopt); });
    loadRecents();
}

ArchiveViewModel::~ArchiveViewModel() {
    // Every task delivers to this object; stop them and wait, so none is left holding it.
    if (filterTask_) filterTask_->cancel();
    if (previewTask_) previewTask_->cancel();
    for (const TokenPointer& token : {previewCancellation_, activeCancellation_}) {
        if (token) token->cancel();
    }
    for (const TokenPointer& token : runningOpenings_) token->cancel();
    for (const TokenPointer& token : backgroundTokens_) token->cancel();
    BackgroundTask::pool().waitForDone();
    // A cancelled extraction may have made its folders again after the cleanup ran.
    if (cacheCleanupRequested_) {
        std::error_code ignored;
        std::filesystem::remove_all(sessionCacheRoot_.toStdString(), ignored);
    }
}

// --- Derived values -------------------------------------------------------------------

bool ArchiveViewModel::isSearchOrFilterActive() const {
    return !searchQuery_.trimmed().isEmpty() || filterKind_ != ArchiveFilterKind::all;
}

std::optional<ArchiveEntry> ArchiveViewModel::primarySelectedEntry() const {
    if (!listing_) return std::nullopt;
    const ArchiveEntry* single = selectedEntryIDs_.single();
    if (single == nullptr) return std::nullopt;
    return *single;
}

std::vector<ArchiveEntry> ArchiveViewModel::selectedEntries() const {
    if (!listing_) return {};
    return selectedEntryIDs_.entries();
}

const ArchiveTabSession* ArchiveViewModel::activeTab() const {
    if (!activeTabID_) return nullptr;
    for (const ArchiveTabSession& tab : tabs_) {
        if (tab.id == *activeTabID_) return &tab;
    }
    return nullptr;
}

QString ArchiveViewModel::archivePath() const {
    if (!listing_) return {};
    return QString::fromStdString(listing_->info().url.string());
}

QString ArchiveViewModel::archiveFolder() const {
    return QFileInfo(archivePath()).absolutePath();
}

std::optional<std::string> ArchiveViewModel::effectivePassword(const QString& typed) const {
    if (!typed.isEmpty()) return typed.toStdString();
    return sessionPassword_;
}

// --- Plain setters --------------------------------------------------------------------

void ArchiveViewModel::setShowSidebar(bool show) {
    if (assignValue(showSidebar_, show)) emit showSidebarChanged();
}
void ArchiveViewModel::setShowPreviewPanel(bool show) {
    if (assignValue(showPreviewPanel_, show)) emit showPreviewPanelChanged();
}
void ArchiveViewModel::setShowExtractSheet(bool show) {
    if (assignValue(showExtractSheet_, show)) emit showExtractSheetChanged();
}
void ArchiveViewModel::setExtractSelectedOnly(bool selectedOnly) {
    if (assignValue(extractSelectedOnly_, selectedOnly)) emit extractSelectedOnlyChanged();
}
void ArchiveViewModel::setExtractDestination(const QString& folder) {
    if (assignValue(extractDestination_, folder)) emit extractDestinationChanged();
}
void ArchiveViewModel::setExtractSmartSubfolder(bool smart) {
    if (assignValue(extractSmartSubfolder_, smart)) emit extractSmartSubfolderChanged();
}
void ArchiveViewModel::setExtractOverwriteMode(ExtractOverwriteMode mode) {
    if (extractOverwriteMode_ == mode) return;
    extractOverwriteMode_ = mode;
    emit extractOverwriteModeChanged();
}
void ArchiveViewModel::setExtractOpenInFinder(bool open) {
    if (assignValue(extractOpenInFinder_, open)) emit extractOpenInFinderChanged();
}
void ArchiveViewModel::setExtractPasswordInput(const QString& password) {
    if (assignValue(extractPasswordInput_, password)) emit extractPasswordInputChanged();
}
void ArchiveViewModel::setShowCreateSheet(bool show) {
    if (assignValue(showCreateSheet_, show)) emit showCreateSheetChanged();
}
void ArchiveViewModel::setShowConvertSheet(bool show) {
    if (assignValue(showConvertSheet_, show)) emit showConvertSheetChanged();
}
void ArchiveViewModel::setCreateSourceURLs(const QStringList& sources) {
    if (assignValue(createSourceURLs_, sources)) emit createSourceURLsChanged();
}
void ArchiveViewModel::setCreateOptions(const CreateArchiveOptions& options) {
    const CreateArchiveOptions& o = createOptions_;
    if (o.format == options.format && o.compressionLevel == options.compressionLevel &&
        o.password == options.password && o.encryptFileNames == options.encryptFileNames &&
        o.volumeSplit == options.volumeSplit && o.excludeMacJunk == options.excludeMacJunk) {
        return;
    }
    createOptions_ = options;
    emit createOptionsChanged();
}
void ArchiveViewModel::setPasswordSheetInput(const QString& text) {
    if (assignValue(passwordSheetInput_, text)) emit passwordSheetInputChanged();
}
void ArchiveViewModel::setSortField(ArchiveSortField field) {
    if (sortField_ == field) return;
    sortField_ = field;
    emit sortFieldChanged();
}
void ArchiveViewModel::setSortAscending(bool ascending) {
    if (assignValue(sortAscending_, ascending)) emit sortAscendingChanged();
}
void ArchiveViewModel::changeSort(ArchiveSortField field, bool ascending) {
    setSortField(field);
    setSortAscending(ascending);
    rebuildDisplayedEntries(false);
}
void ArchiveViewModel::pulseSearchFocus() {
    ++searchFocusPulse_;
    emit searchFocusPulseChanged();
}

// --- Private setters ------------------------------------------------------------------

void ArchiveViewModel::setListing(std::optional<ArchiveListing> listing) {
    listing_ = std::move(listing);
    emit listingChanged();
}
void ArchiveViewModel::setCurrentFolderPath(const QString& path) {
    if (assignValue(currentFolderPath_, path)) emit currentFolderPathChanged();
}
void ArchiveViewModel::setSelectedEntryIDs(const EntrySelection& selection,
                                           std::optional<EntrySelection::RowRanges> rows) {
    if (selection == selectedEntryIDs_) {
        if (rows && !selectedDisplayedRows_) selectedDisplayedRows_ = std::move(rows);
        return;
    }
    selectedEntryIDs_ = selection;
    selectedDisplayedRows_ = std::move(rows);
    emit selectedEntryIDsChanged();
}
const EntrySelection::RowRanges& ArchiveViewModel::selectedDisplayedRows() const {
    if (!selectedDisplayedRows_) {
        selectedDisplayedRows_ = selectedEntryIDs_.rowsIn(displayedEntries_.entries());
    }
    return *selectedDisplayedRows_;
}
void ArchiveViewModel::setSearchQuery(const QString& text) {
    if (assignValue(searchQuery_, text)) emit searchQueryChanged();
}
void ArchiveViewModel::setFilterKind(ArchiveFilterKind kind) {
    if (filterKind_ == kind) return;
    filterKind_ = kind;
    emit filterKindChanged();
}
void ArchiveViewModel::setExpandedFolders(const QSet<QString>& folders) {
    if (assignValue(expandedFolders_, folders)) emit expandedFoldersChanged();
}
void ArchiveViewModel::setDisplayedEntries(ArchiveItemList entries,
                                           std::optional<EntrySelection::RowRanges> selectedRows) {
    ArchiveItemList previous = std::exchange(displayedEntries_, std::move(entries));
    selectedDisplayedRows_ = std::move(selectedRows);
    emit displayedEntriesChanged();
    // Letting go of a million handles costs tens of milliseconds; done off the interface
    // thread so that leaving a big search result never stalls the window.
    if (!previous.isView() && previous.size() > kBackgroundFilterEntryCount) {
        // The task holds the only reference: were one kept here, whichever side let go last
        // would free the list, and half the time that was this thread.
        auto released = std::make_shared<ArchiveItemList>(std::move(previous));
        BackgroundTask::pool().start([list = std::move(released)]() mutable { list.reset(); });
    }
}
void ArchiveViewModel::setIsFilteringAsync(bool filtering) {
    if (assignValue(isFilteringAsync_, filtering)) emit isFilteringAsyncChanged();
}
void ArchiveViewModel::setSelectedTotalBytes(std::int64_t bytes) {
    if (assignValue(selectedTotalBytes_, bytes)) emit selectedTotalBytesChanged();
}
void ArchiveViewModel::setActiveTabID(const std::optional<QUuid>& id) {
    if (assignValue(activeTabID_, id)) emit activeTabIDChanged();
}
void ArchiveViewModel::setCurrentArchiveCacheDir(const std::optional<QString>& folder) {
    currentArchiveCacheDir_ = folder;
}
void ArchiveViewModel::setIsLoadingPreview(bool loading) {
    if (assignValue(isLoadingPreview_, loading)) emit isLoadingPreviewChanged();
}
void ArchiveViewModel::setPreviewRequiresManualLoad(bool manual) {
    if (assignValue(previewRequiresManualLoad_, manual)) emit previewRequiresManualLoadChanged();
}
void ArchiveViewModel::setPreviewErrorText(const std::optional<QString>& text) {
    if (assignValue(previewErrorText_, text)) emit previewErrorTextChanged();
}
void ArchiveViewModel::setPreviewLocalFileURL(const std::optional<QString>& path) {
    if (assignValue(previewLocalFileURL_, path)) emit previewLocalFileURLChanged();
}
void ArchiveViewModel::setPreviewedEntryID(const std::optional<QString>& id) {
    if (assignValue(previewedEntryID_, id)) emit previewedEntryIDChanged();
}
void ArchiveViewModel::setIsComputingChecksums(bool computing) {
    if (assignValue(isComputingChecksums_, computing)) emit isComputingChecksumsChanged();
}
void ArchiveViewModel::setActiveChecksums(const std::optional<FileChecksumReport>& report) {
    if (assignValue(activeChecksums_, report)) emit activeChecksumsChanged();
}
void ArchiveViewModel::setShowPasswordSheet(bool show) {
    if (assignValue(showPasswordSheet_, show)) emit showPasswordSheetChanged();
}
void ArchiveViewModel::setPasswordSheetError(const std::optional<QString>& error) {
    if (assignValue(passwordSheetError_, error)) emit passwordSheetErrorChanged();
}
void ArchiveViewModel::setBusyDetail(const QString& detail) {
    if (assignValue(busyDetail_, detail)) emit busyDetailChanged();
}
void ArchiveViewModel::setBusySpeedText(const QString& text) {
    if (assignValue(busySpeedText_, text)) emit busySpeedTextChanged();
}
void ArchiveViewModel::setBusyProgress(const std::optional<double>& progress) {
    if (assignValue(busyProgress_, progress)) emit busyProgressChanged();
}
void ArchiveViewModel::setIsBusy(bool busy) {
    if (assignValue(isBusy_, busy)) emit isBusyChanged();
}
void ArchiveViewModel::setBusyTitle(const QString& title) {
    if (assignValue(busyTitle_, title)) emit busyTitleChanged();
}
void ArchiveViewModel::setToastMessage(const std::optional<QString>& message) {
    if (assignValue(toastMessage_, message)) emit toastMessageChanged();
}
void ArchiveViewModel::setToastIsError(bool isError) {
    if (assignValue(toastIsError_, isError)) emit toastIsErrorChanged();
}

// --- Language -------------------------------------------------------------------------

void ArchiveViewModel::chooseLanguage(AppLanguage language) {
    try {
        AppLanguage::setCurrent(language);
    } catch (const std::exception&) {
        // The choice could not be stored; the interface still follows it for this run.
    }
    if (assignValue(isFollowingSystemLanguage_, false)) emit isFollowingSystemLanguageChanged();
    language_ = language;
    emit languageChanged();
    rebuildSidebarFolders();
}

void ArchiveViewModel::followSystemLanguage() {
    try {
        AppLanguage::setFollowSystem();
    } catch (const std::exception&) {
    }
    if (assignValue(isFollowingSystemLanguage_, true)) emit isFollowingSystemLanguageChanged();
    language_ = AppLanguage::systemResolved();
    emit languageChanged();
    rebuildSidebarFolders();
}

// --- Recents --------------------------------------------------------------------------

void ArchiveViewModel::rememberRecent(const QString& path) {
    const std::string standardized =
        QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString();
    UserDefaults& defaults = UserDefaults::standard();
    std::vector<std::string> stored =
        defaults.stringArray(recentKey).value_or(std::vector<std::string>{});
    std::erase(stored, standardized);
    stored.insert(stored.begin(), standardized);
    if (stored.size() > static_cast<std::size_t>(kMaxRecentArchives)) {
        stored.resize(static_cast<std::size_t>(kMaxRecentArchives));
    }
    try {
        defaults.setStringArray(recentKey, stored);
    } catch (const std::exception&) {
        // A store that cannot be written keeps its old list; opening goes ahead.
    }
    loadRecents();
}

void ArchiveViewModel::loadRecents() {
    const std::vector<std::string> stored =
        UserDefaults::standard().stringArray(recentKey).value_or(std::vector<std::string>{});
    QStringList existing;
    for (const std::string& path : stored) {
        const QString candidate = QString::fromStdString(path);
        if (QFileInfo::exists(candidate)) existing.push_back(candidate);
    }
    if (assignValue(recentArchiveURLs_, existing)) emit recentArchiveURLsChanged();
}

// --- Cache ----------------------------------------------------------------------------

QString ArchiveViewModel::cacheFolder() const {
    return currentArchiveCacheDir_.value_or(sessionCacheRoot_);
}

void ArchiveViewModel::ensureCacheRoot() const {
    // The name is predictable: only a real folder of this user, private to it, is used.
    AppFolders::ensurePrivateFolder(sessionCacheRoot_.toStdString());
}

void ArchiveViewModel::resetPreviewState() {
    if (previewTask_) {
        previewTask_->cancel();
        previewTask_.reset();
    }
    if (previewCancellation_) {
        previewCancellation_->cancel();
        previewCancellation_.reset();
    }
    setPreviewedEntryID(std::nullopt);
    if (previewImage_) {
        previewImage_.reset();
        emit previewImageChanged();
    }
    if (previewText_) {
        previewText_.reset();
        emit previewTextChanged();
    }
    setPreviewLocalFileURL(std::nullopt);
    setIsLoadingPreview(false);
    setPreviewRequiresManualLoad(false);
    setPreviewErrorText(std::nullopt);
    setActiveChecksums(std::nullopt);
    setIsComputingChecksums(false);
}

void ArchiveViewModel::cleanupPreviewCache() {
    if (previewCancellation_) previewCancellation_->cancel();
    if (activeCancellation_) activeCancellation_->cancel();
    for (const TokenPointer& token : runningOpenings_) token->cancel();
    for (const TokenPointer& token : backgroundTokens_) token->cancel();
    if (filterTask_) filterTask_->cancel();
    searchPauseTimer_.stop();
    cacheCleanupRequested_ = true;
    std::error_code ignored;
    std::filesystem::remove_all(sessionCacheRoot_.toStdString(), ignored);
}

// --- Busy state, progress and notices -------------------------------------------------

ArchiveViewModel::TokenPointer ArchiveViewModel::enterBusy(const QString& title,
                                                           const QString& detail,
                                                           std::int64_t expectedBytes,
                                                           bool measurable) {
    activeCancellation_ = std::make_shared<ProcessCancellationToken>();
    operationStartTime_ = desktop_.nowSeconds();
    operationTotalBytes_ = expectedBytes;
    setIsBusy(true);
    setBusyTitle(title);
    setBusyDetail(detail);
    setBusySpeedText(QString());
    setBusyProgress(measurable ? std::optional<double>(0.0) : std::nullopt);
    return activeCancellation_;
}

void ArchiveViewModel::finishBusy() {
    setIsBusy(false);
    setBusyTitle(QString());
    setBusyDetail(QString());
    setBusySpeedText(QString());
    setBusyProgress(std::nullopt);
    activeCancellation_.reset();
}

ProgressHandler ArchiveViewModel::makeProgressHandler() {
    QPointer<ArchiveViewModel> self(this);
    return ProgressThrottle::wrap([self](double fraction, std::string detail) {
        if (self.isNull()) return;
        BackgroundTask::post(self.data(), [self, fraction, detail = std::move(detail)] {
            if (!self.isNull()) self->applyProgress(fraction, QString::fromStdString(detail));
        });
    });
}

void ArchiveViewModel::applyProgress(double fraction, const QString& detail) {
    setBusyProgress(fraction);
    if (!detail.isEmpty()) setBusyDetail(detail);
    const double elapsed = desktop_.nowSeconds() - operationStartTime_;
    if (const std::optional<QString> speed =
            BusySpeedText::format(fraction, operationTotalBytes_, elapsed)) {
        setBusySpeedText(*speed);
    }
}

void ArchiveViewModel::showToast(const QString& message, bool isError) {
    toastTimer_.stop();
    setToastMessage(message);
    setToastIsError(isError);
    toastTimer_.start();
}

void ArchiveViewModel::cancelActiveOperation() {
    if (activeCancellation_) activeCancellation_->cancel();
    for (const TokenPointer& token : runningOpenings_) token->cancel();
}

// --- Password sheet -------------------------------------------------------------------

void ArchiveViewModel::requestPassword(const PendingPasswordAction& action,
                                       const std::optional<QString>& error) {
    pendingPasswordAction_ = action;
    setPasswordSheetError(error);
    setPasswordSheetInput(QString());
    setShowPasswordSheet(true);
}

bool ArchiveViewModel::requestPasswordAfter(const std::exception_ptr& failure,
                                            const PendingPasswordAction& action) {
    const auto kind = EngineFailure::kindOf(failure);
    if (kind == ArchiveEngineError::Case::passwordRequired) {
        requestPassword(action, std::nullopt);
        return true;
    }
    if (kind == ArchiveEngineError::Case::wrongPassword) {
        requestPassword(action, EngineFailure::text(failure));
        return true;
    }
    return false;
}

void ArchiveViewModel::submitPasswordSheet() {
    const QString typed = passwordSheetInput_;
    if (typed.isEmpty()) return;
    setShowPasswordSheet(false);
    setPasswordSheetError(std::nullopt);
    sessionPassword_ = typed.toStdString();
    if (!pendingPasswordAction_) return;
    const PendingPasswordAction action = std::move(*pendingPasswordAction_);
    pendingPasswordAction_.reset();
    using Kind = PendingPasswordAction::Kind;
    switch (action.kind) {
        case Kind::openArchive:
            openArchive(action.url, typed.toStdString());
            break;
        case Kind::extract:
            setExtractSelectedOnly(action.selectedOnly);
            setExtractPasswordInput(typed);
            executeExtract();
            break;
        case Kind::previewEntry:
            if (action.entry) preparePreview(*action.entry, true);
            break;
        case Kind::openEntryDirectly:
            if (action.entry) openEntryDirectly(*action.entry);
            break;
        case Kind::computeChecksums:
            if (action.entry) computeChecksums(*action.entry);
            break;
        case Kind::convertArchive:
            executeConvertArchive(action.url);
            break;
        case Kind::testArchive:
            runArchiveIntegrityTest();
            break;
    }
}

void ArchiveViewModel::cancelPasswordSheet() {
    setShowPasswordSheet(false);
    setPasswordSheetError(std::nullopt);
    pendingPasswordAction_.reset();
}

void ArchiveViewModel::copyToClipboard(const QString& text, const QString& notice) {
    desktop_.copyToClipboard(text);
    if (!notice.isEmpty()) showToast(notice, false);
}

}  // namespace kelvane::app
