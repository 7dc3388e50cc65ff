#include "state/DragOutStager.hpp"

#include <QDir>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ContainedPath.hpp"
#include "engine/EngineFailureText.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "platform/Uuid.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/BackgroundTask.hpp"
#include "state/ViewModelText.hpp"

namespace kelvane::app {
namespace fs = std::filesystem;

struct DragOutStager::PendingRequest {
    std::uint64_t id = 0;
    std::vector<std::optional<QString>> stagedPaths;
    std::vector<QString> stagingFolders;
    std::vector<std::shared_ptr<ProcessCancellationToken>> tokens;
    std::size_t outstanding = 0;
    bool hasFailed = false;
    // Nobody waits for the result any more; what arrives is removed.
    bool abandoned = false;
};

namespace {

void removeQuietly(const QString& folder) {
    std::error_code ignored;
    fs::remove_all(fs::path(folder.toStdString()), ignored);
}

// Where the extractor put the entry: at its path inside the archive, or, when a tool
// flattened or renamed the path, the first item anywhere below bearing the entry's name.
fs::path locateExtracted(const fs::path& stagingFolder, const ArchiveEntry& entry) {
    if (auto direct = ContainedPath::existingInside(stagingFolder, entry.id())) return *direct;
    std::error_code error;
    for (fs::recursive_directory_iterator it(stagingFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename() == fs::path(std::string(entry.name()))) return it->path();
    }
    throw ArchiveEngineError::processFailed("Could not extract " + std::string(entry.name()) +
                                            " for drop.");
}

}  // namespace

DragOutStager::DragOutStager(ArchiveViewModel& viewModel, QObject* parent)
    : QObject(parent), viewModel_(viewModel) {
    extractionPool_.setMaxThreadCount(kMaxConcurrentExtractions);
}

DragOutStager::~DragOutStager() {
    shutdown();
}

void DragOutStager::shutdown() {
    for (const auto& request : pending_) {
        request->abandoned = true;
        for (const auto& token : request->tokens) token->cancel();
    }
    extractionPool_.waitForDone();
}

bool DragOutStager::needsExtractSheet(const ArchiveListing& listing,
                                      const std::vector<ArchiveEntry>& entries) const {
    const ArchiveDirectoryIndex& index = *listing.tree();
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    for (const ArchiveEntry& entry : entries) {
        if (entry.isDirectory()) {
            if (auto node = index.folderNode(entry.id())) {
                files += node->recursiveFileCount;
                bytes += node->recursiveUncompressedSize;
            }
        } else {
            files += 1;
            bytes += entry.uncompressedSize();
        }
        if (files > kMaxDragFiles || bytes > kMaxDragBytes) return true;
    }
    if (viewModel_.sessionPassword()) return false;
    const std::vector<ArchiveEntry> everything = index.descendantEntries(entries);
    return std::any_of(everything.begin(), everything.end(),
                       [](const ArchiveEntry& entry) { return entry.isEncrypted(); });
}

DragOutStager::Request DragOutStager::stage(const std::vector<ArchiveEntry>& entries) {
    const std::optional<ArchiveListing>& shown = viewModel_.listing();
    if (!shown || entries.empty()) return {};
    if (needsExtractSheet(*shown, entries)) {
        viewModel_.presentExtractSheet(true);
        return {Decision::extractSheet, 0};
    }
    try {
        viewModel_.ensureCacheRoot();
    } catch (...) {
        viewModel_.showToast(ViewModelText::from(EngineFailureText::describe(std::current_exception())),
                             true);
        return {};
    }

    auto request = std::make_unique<PendingRequest>();
    request->id = nextRequestID_++;
    request->stagedPaths.resize(entries.size());
    request->outstanding = entries.size();
    const ArchiveListing listing = *shown;
    const std::optional<std::string> password = viewModel_.sessionPassword();
    const ArchiveEngineService engine = viewModel_.engine();
    const QDir root(viewModel_.sessionCacheRoot());

    for (std::size_t position = 0; position < entries.size(); ++position) {
        const QString folder = root.filePath(QString::fromLatin1(kStagingFolderPrefix) +
                                             QString::fromStdString(Uuid::randomText()));
        auto token = std::make_shared<ProcessCancellationToken>();
        request->stagingFolders.push_back(folder);
        request->tokens.push_back(token);
        const ArchiveEntry entry = entries[position];
        const std::uint64_t requestID = request->id;
        BackgroundTask::runOn(
            extractionPool_, this,
            [engine, listing, entry, password, token, folder](const TaskHandle&) {
                const fs::path staging(folder.toStdString());
                if (token->isCancelled()) throw ArchiveEngineError::cancelled();
                fs::create_directory(staging);
                const ExtractArchiveOptions options(staging, false, ExtractOverwriteMode::overwrite,
                                                    password, false);
                (void)engine.extract(listing, {entry}, options, token, {});
                return QString::fromStdString(locateExtracted(staging, entry).string());
            },
            [this, requestID, position, folder](TaskOutcome<QString> outcome) {
                if (outcome.succeeded()) {
                    deliver(requestID, position, folder, *outcome.value, std::nullopt);
                } else {
                    deliver(requestID, position, folder, {},
                            ViewModelText::from(EngineFailureText::describe(outcome.failure)));
                }
            });
    }
    viewModel_.showToast(
        ViewModelText::t("Preparing ", "Sürüklemek için hazırlanıyor: ") +
            QString::number(entries.size()) + QLatin1Char(' ') +
            ViewModelText::t("items to drag…", "öğe…"),
        false);
    const std::uint64_t id = request->id;
    pending_.push_back(std::move(request));
    return {Decision::staging, id};
}

void DragOutStager::abandon(std::uint64_t requestID) {
    PendingRequest* request = find(requestID);
    if (request == nullptr) return;
    request->abandoned = true;
    for (const auto& token : request->tokens) token->cancel();
}

DragOutStager::PendingRequest* DragOutStager::find(std::uint64_t requestID) {
    for (const auto& request : pending_) {
        if (request->id == requestID) return request.get();
    }
    return nullptr;
}

void DragOutStager::deliver(std::uint64_t requestID, std::size_t position,
                            const QString& stagingFolder, const QString& stagedPath,
                            const std::optional<QString>& failure) {
    PendingRequest* request = find(requestID);
    if (request == nullptr) {
        removeQuietly(stagingFolder);
        return;
    }
    --request->outstanding;
    if (request->abandoned || request->hasFailed) {
        removeQuietly(stagingFolder);
    } else if (failure) {
        // One failed entry spoils the drag: the receiver gets nothing rather than part.
        request->hasFailed = true;
        for (std::size_t i = 0; i < request->stagingFolders.size(); ++i) {
            if (request->stagedPaths[i] || i == position) removeQuietly(request->stagingFolders[i]);
        }
        for (const auto& token : request->tokens) token->cancel();
        viewModel_.showToast(*failure, true);
        emit failed(requestID, *failure);
    } else {
        request->stagedPaths[position] = stagedPath;
    }
    if (request->outstanding > 0) return;

    const bool ready = !request->abandoned && !request->hasFailed;
    QStringList paths;
    if (ready) {
        for (const auto& path : request->stagedPaths) paths.push_back(*path);
    }
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [requestID](const auto& item) { return item->id == requestID; }),
                   pending_.end());
    if (ready) emit staged(requestID, paths);
}

}  // namespace kelvane::app
