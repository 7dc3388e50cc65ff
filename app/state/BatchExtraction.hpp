// "Extract Here" for a list of archives, as the file manager hands them over: each archive,
// one after another, into a smart subfolder of the folder it lies in. It asks for a password
// when an archive needs one (the user may skip that archive), records a failure per archive
// and goes on with the next, and stops the running tool and everything after it on Cancel.
// The engine runs off the interface thread; every value here changes on the object's thread.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ArchiveEngineService.hpp"
#include "model/ArchiveListing.hpp"
#include "state/ArchiveExtractionOutcome.hpp"

namespace kelvane {
class ProcessCancellationToken;
}

namespace kelvane::app {

class BatchExtraction final : public QObject {
    Q_OBJECT

public:
    enum class Phase {
        idle,            // before start()
        reading,         // listing the current archive; no measurable progress yet
        extracting,      // the archiver writes; progress() follows it
        askingPassword,  // waiting for submitPassword() or skipArchive()
        cancelling,      // Cancel was pressed; the running tool is being stopped
        finished,
    };

    // What the process reports when the batch is over.
    static constexpr int kExitAllExtracted = 0;
    static constexpr int kExitSomeNotExtracted = 1;
    static constexpr int kExitCancelled = 2;

    // `archives` are paths; relative ones are taken from the working folder.
    explicit BatchExtraction(const QStringList& archives, QObject* parent = nullptr);
    // Stops a tool still running. Its rollback finishes on the worker thread.
    ~BatchExtraction() override;

    // Begins with the first archive; a batch without archives finishes at once.
    void start();
    // Retries the archive that asked with `password`; an empty text is ignored.
    void submitPassword(const QString& password);
    // Gives up on the archive that asked for a password and goes on with the next.
    void skipArchive();
    // Stops the running archiver (its own rollback removes what it wrote) and every archive
    // after it. The batch finishes once the running tool has ended.
    void cancel();

    [[nodiscard]] const QStringList& archives() const { return archives_; }
    [[nodiscard]] Phase phase() const { return phase_; }
    [[nodiscard]] bool isFinished() const { return phase_ == Phase::finished; }
    [[nodiscard]] bool wasCancelled() const { return cancelRequested_; }
    // 1-based position of the archive being worked on; 0 before the start.
    [[nodiscard]] int currentPosition() const { return index_ + 1; }
    [[nodiscard]] QString currentArchive() const;
    [[nodiscard]] QString currentArchiveName() const;
    // 0 to 1 while the archiver writes; none while the archive is being read.
    [[nodiscard]] const std::optional<double>& progress() const { return progress_; }
    // Set while asking again after a password was refused.
    [[nodiscard]] const std::optional<QString>& passwordError() const { return passwordError_; }
    // One per archive that has ended, in the order given.
    [[nodiscard]] const std::vector<ArchiveExtractionOutcome>& outcomes() const {
        return outcomes_;
    }
    // The failed and skipped archives, in order.
    [[nodiscard]] std::vector<ArchiveExtractionOutcome> problems() const;
    [[nodiscard]] int extractedCount() const;
    [[nodiscard]] int exitCode() const;

    // Texts for the window, in the interface language.
    [[nodiscard]] QString titleText() const;
    // "Archive 2 of 3"; empty for a batch of one.
    [[nodiscard]] QString positionText() const;
    // "2 of 3 archives extracted."
    [[nodiscard]] QString summaryText() const;

signals:
    void phaseChanged();
    void currentArchiveChanged();
    void progressChanged();
    void passwordErrorChanged();
    void outcomesChanged();
    // Once, when the last archive has ended or the batch was cancelled.
    void finished();

private:
    using TokenPointer = std::shared_ptr<ProcessCancellationToken>;

    void beginArchive(int index);
    void readCurrent();
    void extractCurrent();
    void handleFailure(const std::exception_ptr& failure);
    void askPassword(const std::optional<QString>& error);
    void record(ArchiveExtractionOutcome::Kind kind, const QString& reason,
                const QString& destination = {});
    void goOn();
    void finishCancelled();
    void finish();

    void setPhase(Phase phase);
    void setProgress(const std::optional<double>& progress);
    void setPasswordError(const std::optional<QString>& error);

    QStringList archives_;
    ArchiveEngineService engine_;
    Phase phase_ = Phase::idle;
    int index_ = -1;
    std::optional<ArchiveListing> listing_;
    std::optional<std::string> password_;
    std::optional<double> progress_;
    std::optional<QString> passwordError_;
    TokenPointer token_;
    bool cancelRequested_ = false;
    std::vector<ArchiveExtractionOutcome> outcomes_;
};

}  // namespace kelvane::app
