// Prepares rows dragged out of the entry table as real files before the drag begins:
// Linux receivers ask for dropped data at once (some while merely hovering) and give up
// quickly, so files cannot be extracted on demand. Each dragged entry is extracted, at most
// two at a time, into its own "KelvaneDrag-<UUID>" folder under the session cache root,
// where it stays until the application quits (receivers copy after the drop).
#pragma once

#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/ArchiveEntry.hpp"
#include "model/ArchiveListing.hpp"

namespace kelvane {
class ProcessCancellationToken;
}

namespace kelvane::app {

class ArchiveViewModel;

class DragOutStager final : public QObject {
    Q_OBJECT

public:
    // Larger drags go through the extract sheet: staging them would keep the pointer
    // waiting far longer than anyone holds a button.
    static constexpr std::int64_t kMaxDragBytes = std::int64_t{1024} * 1024 * 1024;
    static constexpr std::int64_t kMaxDragFiles = 10000;
    static constexpr int kMaxConcurrentExtractions = 2;
    static constexpr const char* kStagingFolderPrefix = "KelvaneDrag-";

    enum class Decision {
        // Extraction started; `staged` or `failed` follows with the request's number.
        staging,
        // Too large, or encrypted without a known password: the extract sheet is shown.
        extractSheet,
        // No archive shown or no entry given.
        nothing,
    };

    struct Request {
        Decision decision = Decision::nothing;
        std::uint64_t id = 0;
    };

    // `viewModel` must outlive the stager.
    explicit DragOutStager(ArchiveViewModel& viewModel, QObject* parent = nullptr);
    ~DragOutStager() override;

    // Starts staging the entries of the shown archive with the tab's password. A newer
    // request does not stop an older one; each reports on its own.
    Request stage(const std::vector<ArchiveEntry>& entries);

    // Forgets a request whose drag will not happen (the button was released early); its
    // running extractions finish, but nothing is reported for it.
    void abandon(std::uint64_t requestID);

    // Stops every running extraction and waits for the workers to end, so nothing writes
    // into the cache root after it is removed. Called before quitting.
    void shutdown();

signals:
    // Every entry is ready: `paths` are the staged items, in the order of the entries.
    void staged(quint64 requestID, const QStringList& paths);
    // Some entry could not be extracted; a notice has been shown and the staged items
    // of the request were removed.
    void failed(quint64 requestID, const QString& reason);

private:
    struct PendingRequest;

    void deliver(std::uint64_t requestID, std::size_t position, const QString& stagingFolder,
                 const QString& stagedPath, const std::optional<QString>& failure);
    [[nodiscard]] PendingRequest* find(std::uint64_t requestID);
    // True when the entries need the extract sheet instead of a drag.
    [[nodiscard]] bool needsExtractSheet(const ArchiveListing& listing,
                                         const std::vector<ArchiveEntry>& entries) const;

    ArchiveViewModel& viewModel_;
    QThreadPool extractionPool_;
    std::uint64_t nextRequestID_ = 1;
    std::vector<std::unique_ptr<PendingRequest>> pending_;
};

}  // namespace kelvane::app
