// The actions on the shown archive (extract, test, add, delete), the actions that make new
// archives (create, convert), and the routing of dropped and chosen files.
#include <QDir>
#include <QFileInfo>
#include <filesystem>

#include "engine/ArchiveEngineError.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/BackgroundTask.hpp"
#include "state/DesktopServices.hpp"
#include "state/EngineFailure.hpp"
#include "state/ViewModelText.hpp"

namespace kelvane::app {
namespace {

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

QString fileNameOf(const std::filesystem::path& path) {
    return QFileInfo(QString::fromStdString(path.string())).fileName();
}

QString itemsDetail(std::size_t count) {
    return QString::number(count) + QLatin1Char(' ') + ViewModelText::t("items", "öğe");
}

}  // namespace

// --- Extract --------------------------------------------------------------------------

void ArchiveViewModel::presentExtractSheet(bool selectedOnly) {
    if (!listing_) return;
    setExtractSelectedOnly(selectedOnly && !selectedEntryIDs_.empty());
    setExtractDestination(archiveFolder());
    setExtractPasswordInput(sessionPassword_ ? QString::fromStdString(*sessionPassword_)
                                             : QString());
    setShowExtractSheet(true);
}

void ArchiveViewModel::chooseExtractDestinationFolder() {
    QPointer<ArchiveViewModel> self(this);
    desktop_.chooseForOpening({.canChooseFiles = false,
                               .canChooseDirectories = true,
                               .allowsMultipleSelection = false,
                               .directory = extractDestination_},
                              [self](const QList<QUrl>& chosen) {
                                  if (self.isNull() || chosen.isEmpty()) return;
                                  self->setExtractDestination(chosen.front().toLocalFile());
                              });
}

void ArchiveViewModel::quickExtractHere(bool selectedOnly) {
    if (!listing_) return;
    setExtractSelectedOnly(selectedOnly && !selectedEntryIDs_.empty());
    setExtractDestination(archiveFolder());
    setExtractSmartSubfolder(!extractSelectedOnly_);
    setExtractPasswordInput(sessionPassword_ ? QString::fromStdString(*sessionPassword_)
                                             : QString());
    executeExtract();
}

void ArchiveViewModel::executeExtract() {
    if (!listing_) return;
    setShowExtractSheet(false);
    const bool selectedOnly = extractSelectedOnly_;
    std::vector<ArchiveEntry> entries;
    if (selectedOnly) entries = selectedEntries();
    ExtractArchiveOptions options(toPath(extractDestination_), extractSmartSubfolder_,
                                  extractOverwriteMode_, effectivePassword(extractPasswordInput_),
                                  extractOpenInFinder_);
    const std::int64_t expected =
        selectedOnly ? selectedTotalBytes_ : listing_->info().totalUncompressedSize;
    const TokenPointer token = enterBusy(
        selectedOnly ? ViewModelText::t("Extracting selected items…", "Seçili öğeler çıkarılıyor…")
                     : ViewModelText::t("Extracting archive…", "Arşiv çıkarılıyor…"),
        fileNameOf(listing_->info().url), expected, true);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    auto progress = makeProgressHandler();
    const bool hadEntries = !entries.empty();
    BackgroundTask::run(
        this,
        [engine, listing, entries = std::move(entries), options, token,
         progress](const TaskHandle&) {
            return engine.extract(listing, entries, options, token, progress);
        },
        [this, options, hadEntries](TaskOutcome<std::filesystem::path> outcome) {
            finishBusy();
            if (outcome.succeeded()) {
                if (options.password && !options.password->empty()) {
                    sessionPassword_ = options.password;
                }
                const QString folder = QString::fromStdString(outcome.value->string());
                showToast(
                    ViewModelText::t("Extracted to ", "Çıkarıldı: ") + QFileInfo(folder).fileName(),
                    false);
                if (options.openInFinderWhenDone) desktop_.openFolder(folder);
                return;
            }
            if (requestPasswordAfter(outcome.failure, PendingPasswordAction::extract(hadEntries)))
                return;
            showToast(EngineFailure::text(outcome.failure), true);
        });
}

// --- Test -----------------------------------------------------------------------------

void ArchiveViewModel::runArchiveIntegrityTest() {
    if (!listing_) return;
    const TokenPointer token =
        enterBusy(ViewModelText::t("Testing archive integrity…", "Arşiv bütünlüğü test ediliyor…"),
                  fileNameOf(listing_->info().url), listing_->info().totalUncompressedSize, true);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    auto progress = makeProgressHandler();
    BackgroundTask::run(
        this,
        [engine, listing, password, token, progress](const TaskHandle&) {
            return engine.testArchive(listing, password, token, progress);
        },
        [this](TaskOutcome<ArchiveTestResult> outcome) {
            finishBusy();
            if (outcome.succeeded()) {
                showToast(ViewModelText::from(outcome.value->summary), !outcome.value->passed);
                return;
            }
            if (EngineFailure::kindOf(outcome.failure) == ArchiveEngineError::Case::cancelled) {
                return;
            }
            if (requestPasswordAfter(outcome.failure, PendingPasswordAction::testArchive())) return;
            showToast(EngineFailure::text(outcome.failure), true);
        });
}

// --- Add and delete -------------------------------------------------------------------

void ArchiveViewModel::promptAddFilesToOpenArchive() {
    if (!listing_ || !listing_->info().isModifiable) {
        showToast(
            ViewModelText::from(ArchiveEngineError::unsupportedModification().errorDescription()),
            true);
        return;
    }
    QPointer<ArchiveViewModel> self(this);
    desktop_.chooseForOpening({.canChooseFiles = true,
                               .canChooseDirectories = true,
                               .allowsMultipleSelection = true,
                               .directory = {}},
                              [self](const QList<QUrl>& chosen) {
                                  if (self.isNull() || chosen.isEmpty()) return;
                                  QStringList paths;
                                  for (const QUrl& url : chosen) paths.push_back(url.toLocalFile());
                                  self->addFilesToCurrentArchive(paths);
                              });
}

void ArchiveViewModel::addFilesToCurrentArchive(const QStringList& paths) {
    if (!listing_ || !listing_->info().isModifiable || paths.isEmpty()) return;
    const TokenPointer token =
        enterBusy(ViewModelText::t("Adding files to archive…", "Arşive dosya ekleniyor…"),
                  itemsDetail(static_cast<std::size_t>(paths.size())), 0, true);
    std::vector<std::filesystem::path> items;
    for (const QString& path : paths) items.push_back(toPath(path));
    const std::filesystem::path archive = listing_->info().url;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    auto progress = makeProgressHandler();
    const QString archivePathText = archivePath();
    BackgroundTask::run(
        this,
        [engine, items, archive, password, token, progress](const TaskHandle&) {
            engine.addFiles(items, archive, password, token, progress);
            return true;
        },
        [this, archivePathText, password](TaskOutcome<bool> outcome) {
            finishBusy();
            if (!outcome.succeeded()) {
                showToast(EngineFailure::text(outcome.failure), true);
                return;
            }
            showToast(ViewModelText::t("Added files to archive", "Dosyalar arşive eklendi"), false);
            // Read again even when the tab has no password: the archive changed on disk.
            readArchive(archivePathText, password, true);
        });
}

void ArchiveViewModel::deleteSelectedEntriesFromArchive() {
    if (!listing_ || !listing_->info().isModifiable) return;
    std::vector<ArchiveEntry> entries = selectedEntries();
    if (entries.empty()) return;
    const TokenPointer token = enterBusy(
        ViewModelText::t("Deleting entries from archive…", "Seçili öğeler arşivden siliniyor…"),
        itemsDetail(entries.size()), 0, true);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    auto progress = makeProgressHandler();
    const QString archivePathText = archivePath();
    BackgroundTask::run(
        this,
        [engine, entries = std::move(entries), listing, password, token,
         progress](const TaskHandle&) {
            engine.deleteEntries(entries, listing, password, token, progress);
            return true;
        },
        [this, archivePathText, password](TaskOutcome<bool> outcome) {
            finishBusy();
            if (!outcome.succeeded()) {
                showToast(EngineFailure::text(outcome.failure), true);
                return;
            }
            showToast(ViewModelText::t("Deleted entries from archive", "Öğeler arşivden silindi"),
                      false);
            readArchive(archivePathText, password, true);
        });
}

void ArchiveViewModel::revealArchiveInFinder() {
    if (!listing_) return;
    desktop_.revealFile(archivePath());
}

// --- Create ---------------------------------------------------------------------------

namespace {

CreateArchiveOptions resetCreateOptions() {
    return CreateArchiveOptions{};
}

}  // namespace

void ArchiveViewModel::presentCreateArchiveSheet() {
    setCreateOptions(resetCreateOptions());
    setShowCreateSheet(true);
}

void ArchiveViewModel::promptAddSourceItemsForCreation() {
    QPointer<ArchiveViewModel> self(this);
    desktop_.chooseForOpening({.canChooseFiles = true,
                               .canChooseDirectories = true,
                               .allowsMultipleSelection = true,
                               .directory = {}},
                              [self](const QList<QUrl>& chosen) {
                                  if (ArchiveViewModel* model = self.data()) {
                                      model->appendCreateSources(chosen);
                                  }
                              });
}

void ArchiveViewModel::appendCreateSources(const QList<QUrl>& chosen) {
    if (chosen.isEmpty()) return;
    // Taken once before the loop: a source chosen twice in one go is kept twice only if
    // the panel gave it twice.
    QSet<QString> known;
    for (const QString& source : createSourceURLs_) {
        known.insert(QDir::cleanPath(QFileInfo(source).absoluteFilePath()));
    }
    QStringList sources = createSourceURLs_;
    for (const QUrl& url : chosen) {
        const QString path = url.toLocalFile();
        if (known.contains(QDir::cleanPath(QFileInfo(path).absoluteFilePath()))) continue;
        sources.push_back(path);
    }
    setCreateSourceURLs(sources);
}

void ArchiveViewModel::removeCreateSource(int position) {
    if (position < 0 || position >= createSourceURLs_.size()) return;
    QStringList sources = createSourceURLs_;
    sources.removeAt(position);
    setCreateSourceURLs(sources);
}

QString ArchiveViewModel::proposedCreateArchiveName() const {
    QString base = QStringLiteral("Archive");
    if (createSourceURLs_.size() == 1) {
        // The name without its last extension; a folder keeps its whole name.
        const QFileInfo source(createSourceURLs_.front());
        const QString name =
            source.fileName().isEmpty() ? QDir(source.filePath()).dirName() : source.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        base = dot > 0 ? name.left(dot) : name;
    }
    return base + QLatin1Char('.') +
           QString::fromUtf8(createOptions_.format.fileExtension().data(),
                             static_cast<qsizetype>(createOptions_.format.fileExtension().size()));
}

void ArchiveViewModel::promptSaveAndCreateArchive() {
    if (createSourceURLs_.isEmpty()) return;
    QPointer<ArchiveViewModel> self(this);
    desktop_.chooseSaveLocation(
        {.directory = QFileInfo(QDir::cleanPath(createSourceURLs_.front())).absolutePath(),
         .proposedName = proposedCreateArchiveName()},
        [self](const std::optional<QUrl>& chosen) {
            if (self.isNull() || !chosen) return;
            self->executeCreateArchive(chosen->toLocalFile());
        });
}

void ArchiveViewModel::executeCreateArchive(const QString& destination) {
    std::vector<std::filesystem::path> sources;
    for (const QString& source : createSourceURLs_) sources.push_back(toPath(source));
    const CreateArchiveOptions options = createOptions_;
    setShowCreateSheet(false);
    const TokenPointer token =
        enterBusy(ViewModelText::t("Creating archive…", "Arşiv oluşturuluyor…"),
                  QFileInfo(destination).fileName(), 0, true);
    const ArchiveEngineService engine = engine_;
    auto progress = makeProgressHandler();
    const std::filesystem::path target = toPath(destination);
    BackgroundTask::run(
        this,
        [engine, sources, target, options, token, progress](const TaskHandle&) {
            return engine.createArchive(sources, target, options, token, progress);
        },
        [this, options](TaskOutcome<std::filesystem::path> outcome) {
            finishBusy();
            if (!outcome.succeeded()) {
                showToast(EngineFailure::text(outcome.failure), true);
                return;
            }
            setCreateSourceURLs({});
            const QString created = QString::fromStdString(outcome.value->string());
            showToast(ViewModelText::t("Archive created: ", "Arşiv oluşturuldu: ") +
                          QFileInfo(created).fileName(),
                      false);
            openArchive(created, options.password.empty()
                                     ? std::nullopt
                                     : std::optional<std::string>(options.password));
        });
}

// --- Convert --------------------------------------------------------------------------

void ArchiveViewModel::presentConvertSheet() {
    if (!listing_) return;
    CreateArchiveOptions options = resetCreateOptions();
    options.format = ArchiveCreateFormat::sevenZ;
    options.compressionLevel = CompressionLevel::normal;
    setCreateOptions(options);
    setShowConvertSheet(true);
}

QString ArchiveViewModel::proposedConvertArchiveName() const {
    if (!listing_) return {};
    const std::string_view extension = createOptions_.format.fileExtension();
    return QString::fromStdString(
               ArchiveEngineService::cleanArchiveBaseName(listing_->info().url)) +
           QStringLiteral("-converted.") +
           QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size()));
}

void ArchiveViewModel::promptSaveAndConvertArchive() {
    if (!listing_) return;
    QPointer<ArchiveViewModel> self(this);
    desktop_.chooseSaveLocation(
        {.directory = archiveFolder(), .proposedName = proposedConvertArchiveName()},
        [self](const std::optional<QUrl>& chosen) {
            if (self.isNull() || !chosen) return;
            self->executeConvertArchive(chosen->toLocalFile());
        });
}

void ArchiveViewModel::executeConvertArchive(const QString& destination) {
    if (!listing_) return;
    setShowConvertSheet(false);
    const CreateArchiveOptions options = createOptions_;
    const std::optional<std::string> sourcePassword = sessionPassword_;
    const TokenPointer token =
        enterBusy(ViewModelText::t("Converting archive…", "Arşiv dönüştürülüyor…"),
                  QFileInfo(destination).fileName(), listing_->info().totalUncompressedSize, true);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    auto progress = makeProgressHandler();
    const std::filesystem::path target = toPath(destination);
    BackgroundTask::run(
        this,
        [engine, listing, target, options, sourcePassword, token, progress](const TaskHandle&) {
            return engine.convertArchive(listing, target, options, sourcePassword, token, progress);
        },
        [this, options, destination](TaskOutcome<std::filesystem::path> outcome) {
            finishBusy();
            if (outcome.succeeded()) {
                const QString converted = QString::fromStdString(outcome.value->string());
                showToast(ViewModelText::t("Converted: ", "Dönüştürüldü: ") +
                              QFileInfo(converted).fileName(),
                          false);
                openArchive(converted, options.password.empty()
                                           ? std::nullopt
                                           : std::optional<std::string>(options.password));
                return;
            }
            if (requestPasswordAfter(outcome.failure,
                                     PendingPasswordAction::convertArchive(destination)))
                return;
            showToast(EngineFailure::text(outcome.failure), true);
        });
}

// --- Dropped and chosen files ---------------------------------------------------------

void ArchiveViewModel::promptOpenArchive() {
    QPointer<ArchiveViewModel> self(this);
    desktop_.chooseForOpening({.canChooseFiles = true,
                               .canChooseDirectories = false,
                               .allowsMultipleSelection = true,
                               .directory = {}},
                              [self](const QList<QUrl>& chosen) {
                                  if (self.isNull() || chosen.isEmpty()) return;
                                  self->handleDroppedURLs(chosen);
                              });
}

void ArchiveViewModel::handleDroppedURLs(const QList<QUrl>& urls) {
    if (urls.isEmpty()) return;
    bool allArchives = true;
    QStringList paths;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        // A folder is written with a trailing slash; the file system is not asked.
        const bool namesFolder = url.path().endsWith(QLatin1Char('/'));
        if (namesFolder || path.isEmpty() || !engine_.isSupportedArchive(toPath(path))) {
            allArchives = false;
        }
        paths.push_back(path);
    }
    if (allArchives) {
        for (const QString& path : paths) openArchive(path);
        return;
    }
    if (listing_ && listing_->info().isModifiable) {
        addFilesToCurrentArchive(paths);
        return;
    }
    setCreateSourceURLs(paths);
    setShowCreateSheet(true);
}

}  // namespace kelvane::app
