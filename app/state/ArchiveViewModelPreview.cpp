// Looking at one entry: the inspector's preview, opening it with the desktop, the
// quick-look window and checksums, all on a copy extracted into the tab's cache folder.
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStringDecoder>
#include <filesystem>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ChecksumService.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/BackgroundTask.hpp"
#include "state/DesktopServices.hpp"
#include "state/EngineFailure.hpp"
#include "state/TextPreviewDecoder.hpp"
#include "state/ViewModelText.hpp"

namespace kelvane::app {
namespace {

QString entryID(const ArchiveEntry& entry) {
    return QString::fromUtf8(entry.id().data(), static_cast<qsizetype>(entry.id().size()));
}

struct PreviewResult {
    QString localFile;
    std::optional<QImage> image;
    std::optional<QString> text;
};

}  // namespace

bool ArchiveViewModel::isPreviewable(const ArchiveEntry& entry) {
    if (entry.isDirectory()) return false;
    const ArchiveFileCategory category = entry.category();
    return category == ArchiveFileCategory::image || category == ArchiveFileCategory::codeText ||
           entry.fileExtension() == "pdf";
}

void ArchiveViewModel::preparePreview(const ArchiveEntry& entry, bool forceLoad) {
    resetPreviewState();
    if (!listing_ || entry.isDirectory()) return;
    const QString id = entryID(entry);
    setPreviewedEntryID(id);
    if (!isPreviewable(entry)) return;
    const bool loadNow = forceLoad || (entry.uncompressedSize() <= kAutomaticPreviewByteLimit &&
                                       !listing_->info().isSolid);
    if (!loadNow) {
        setPreviewRequiresManualLoad(true);
        return;
    }

    try {
        ensureCacheRoot();
    } catch (...) {
        setPreviewErrorText(EngineFailure::text(std::current_exception()));
        return;
    }
    previewCancellation_ = std::make_shared<ProcessCancellationToken>();
    setIsLoadingPreview(true);
    const TokenPointer token = previewCancellation_;
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    const QString cache = cacheFolder();
    const ArchiveFileCategory category = entry.category();
    previewTask_ = BackgroundTask::run(
        this,
        [engine, listing, entry, password, cache, token, category](const TaskHandle&) {
            const std::filesystem::path local = engine.extractSingleFileToCache(
                listing, entry, password, cache.toStdString(), token);
            PreviewResult result;
            result.localFile = QString::fromStdString(local.string());
            if (token->isCancelled()) return result;
            if (category == ArchiveFileCategory::codeText) {
                result.text =
                    TextPreviewDecoder::readPreview(result.localFile, kTextPreviewByteLimit);
            } else if (category == ArchiveFileCategory::image) {
                QImageReader reader(result.localFile);
                reader.setAutoTransform(true);
                QImage image = reader.read();
                if (!image.isNull()) result.image = std::move(image);
            }
            return result;
        },
        [this, id, forceLoad, entry](TaskOutcome<PreviewResult> outcome) {
            if (outcome.succeeded()) {
                if (previewedEntryID_ != id) return;
                deliverPreview(id, outcome.value->localFile, std::move(outcome.value->image),
                               std::move(outcome.value->text));
                return;
            }
            const auto kind = EngineFailure::kindOf(outcome.failure);
            if (kind == ArchiveEngineError::Case::passwordRequired) {
                setIsLoadingPreview(false);
                if (forceLoad) {
                    requestPassword(PendingPasswordAction::previewEntry(entry), std::nullopt);
                } else {
                    setPreviewRequiresManualLoad(true);
                }
                return;
            }
            if (kind == ArchiveEngineError::Case::wrongPassword) {
                setIsLoadingPreview(false);
                requestPassword(PendingPasswordAction::previewEntry(entry),
                                EngineFailure::text(outcome.failure));
                return;
            }
            if (previewedEntryID_ != id) return;
            setIsLoadingPreview(false);
            setPreviewErrorText(EngineFailure::text(outcome.failure));
        });
}

void ArchiveViewModel::deliverPreview(const QString& entryID, const QString& localFile,
                                      std::optional<QImage> image, std::optional<QString> text) {
    if (previewedEntryID_ != entryID) return;
    previewTask_.reset();
    setIsLoadingPreview(false);
    setPreviewLocalFileURL(localFile);
    previewImage_ = std::move(image);
    emit previewImageChanged();
    previewText_ = std::move(text);
    emit previewTextChanged();
}

void ArchiveViewModel::openEntryDirectly(const ArchiveEntry& entry) {
    if (!listing_ || entry.isDirectory()) return;
    const QString id = entryID(entry);
    if (previewLocalFileURL_ && previewedEntryID_ == id &&
        QFileInfo::exists(*previewLocalFileURL_)) {
        desktop_.openUrl(QUrl::fromLocalFile(*previewLocalFileURL_));
        return;
    }
    const QString name =
        QString::fromUtf8(entry.name().data(), static_cast<qsizetype>(entry.name().size()));
    try {
        ensureCacheRoot();
    } catch (...) {
        showToast(EngineFailure::text(std::current_exception()), true);
        return;
    }
    const TokenPointer token = enterBusy(ViewModelText::t("Opening entry…", "Dosya açılıyor…"),
                                         name, entry.uncompressedSize(), false);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    const QString cache = cacheFolder();
    BackgroundTask::run(
        this,
        [engine, listing, entry, password, cache, token](const TaskHandle&) {
            return engine.extractSingleFileToCache(listing, entry, password, cache.toStdString(),
                                                   token);
        },
        [this, id, entry](TaskOutcome<std::filesystem::path> outcome) {
            finishBusy();
            if (outcome.succeeded()) {
                const QString local = QString::fromStdString(outcome.value->string());
                if (previewedEntryID_ == id) setPreviewLocalFileURL(local);
                desktop_.openUrl(QUrl::fromLocalFile(local));
                return;
            }
            if (EngineFailure::kindOf(outcome.failure) == ArchiveEngineError::Case::cancelled) {
                return;
            }
            if (requestPasswordAfter(outcome.failure,
                                     PendingPasswordAction::openEntryDirectly(entry))) {
                return;
            }
            showToast(EngineFailure::text(outcome.failure), true);
        });
}

void ArchiveViewModel::toggleQuickLookForSelection() {
    const std::optional<ArchiveEntry> entry = primarySelectedEntry();
    if (!entry || entry->isDirectory() || !listing_) return;
    if (desktop_.isQuickLookVisible()) {
        desktop_.closeQuickLook();
        return;
    }
    const QString id = entryID(*entry);
    if (previewLocalFileURL_ && previewedEntryID_ == id &&
        QFileInfo::exists(*previewLocalFileURL_)) {
        presentQuickLook(*previewLocalFileURL_);
        return;
    }
    setIsLoadingPreview(true);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    const QString cache = cacheFolder();
    // Quick look has no Cancel; the token only lets quitting stop the tool.
    auto token = std::make_shared<ProcessCancellationToken>();
    backgroundTokens_.push_back(token);
    try {
        ensureCacheRoot();
    } catch (...) {
    }
    BackgroundTask::run(
        this,
        [engine, listing, entry = *entry, password, cache, token](const TaskHandle&) {
            return engine.extractSingleFileToCache(listing, entry, password, cache.toStdString(),
                                                   token);
        },
        [this, id, token](TaskOutcome<std::filesystem::path> outcome) {
            std::erase(backgroundTokens_, token);
            setIsLoadingPreview(false);
            if (!outcome.succeeded()) {
                showToast(EngineFailure::text(outcome.failure), true);
                return;
            }
            const QString local = QString::fromStdString(outcome.value->string());
            if (previewedEntryID_ == id) setPreviewLocalFileURL(local);
            presentQuickLook(local);
        });
}

void ArchiveViewModel::presentQuickLook(const QString& path) {
    quickLookCoordinator_.previewURL = path;
    desktop_.showQuickLook(path);
}

void ArchiveViewModel::computeChecksums(const ArchiveEntry& entry) {
    if (!listing_ || entry.isDirectory()) return;
    setIsComputingChecksums(true);
    setActiveChecksums(std::nullopt);
    const QString id = entryID(entry);
    const ArchiveListing listing = *listing_;
    const ArchiveEngineService engine = engine_;
    const std::optional<std::string> password = sessionPassword_;
    const QString cache = cacheFolder();
    auto token = std::make_shared<ProcessCancellationToken>();
    backgroundTokens_.push_back(token);
    try {
        ensureCacheRoot();
    } catch (...) {
    }
    struct ChecksumResult {
        QString localFile;
        FileChecksumReport report;
    };
    BackgroundTask::run(
        this,
        [engine, listing, entry, password, cache, token](const TaskHandle&) {
            const std::filesystem::path local = engine.extractSingleFileToCache(
                listing, entry, password, cache.toStdString(), token);
            return ChecksumResult{QString::fromStdString(local.string()),
                                  ChecksumService::compute(local)};
        },
        [this, id, entry, token](TaskOutcome<ChecksumResult> outcome) {
            std::erase(backgroundTokens_, token);
            if (outcome.succeeded()) {
                const std::optional<ArchiveEntry> selected = primarySelectedEntry();
                if (!selected || entryID(*selected) != id) return;
                setIsComputingChecksums(false);
                setPreviewLocalFileURL(outcome.value->localFile);
                setActiveChecksums(outcome.value->report);
                return;
            }
            setIsComputingChecksums(false);
            if (requestPasswordAfter(outcome.failure,
                                     PendingPasswordAction::computeChecksums(entry))) {
                return;
            }
            showToast(EngineFailure::text(outcome.failure), true);
        });
}

}  // namespace kelvane::app
