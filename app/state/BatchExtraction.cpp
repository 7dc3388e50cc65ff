#include "state/BatchExtraction.hpp"

#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <filesystem>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ProgressThrottle.hpp"
#include "localization/AppLanguage.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "platform/LocaleNumberFormat.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "state/BackgroundTask.hpp"
#include "state/EngineFailure.hpp"
#include "state/ViewModelText.hpp"

namespace kelvane::app {
namespace {

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

QString number(std::int64_t value) {
    return QString::fromStdString(
        LocaleNumberFormat::groupedDecimal(value, AppLanguage::current().locale()));
}

QStringList absolutePaths(const QStringList& archives) {
    QStringList absolute;
    absolute.reserve(archives.size());
    for (const QString& archive : archives) absolute << QFileInfo(archive).absoluteFilePath();
    return absolute;
}

}  // namespace

BatchExtraction::BatchExtraction(const QStringList& archives, QObject* parent)
    : QObject(parent), archives_(absolutePaths(archives)) {}

BatchExtraction::~BatchExtraction() {
    if (token_) token_->cancel();
}

// --- Values ---------------------------------------------------------------------------

QString BatchExtraction::currentArchive() const {
    if (index_ < 0 || index_ >= archives_.size()) return {};
    return archives_.at(index_);
}

QString BatchExtraction::currentArchiveName() const {
    return QFileInfo(currentArchive()).fileName();
}

std::vector<ArchiveExtractionOutcome> BatchExtraction::problems() const {
    std::vector<ArchiveExtractionOutcome> found;
    std::copy_if(outcomes_.begin(), outcomes_.end(), std::back_inserter(found),
                 [](const ArchiveExtractionOutcome& outcome) { return outcome.needsAttention(); });
    return found;
}

int BatchExtraction::extractedCount() const {
    return static_cast<int>(std::count_if(
        outcomes_.begin(), outcomes_.end(), [](const ArchiveExtractionOutcome& outcome) {
            return outcome.kind == ArchiveExtractionOutcome::Kind::extracted;
        }));
}

int BatchExtraction::exitCode() const {
    if (cancelRequested_) return kExitCancelled;
    return extractedCount() == archives_.size() ? kExitAllExtracted : kExitSomeNotExtracted;
}

QString BatchExtraction::titleText() const {
    switch (phase_) {
        case Phase::cancelling:
            return ViewModelText::t("Cancelling…", "İptal ediliyor…");
        case Phase::finished:
            if (cancelRequested_) {
                return ViewModelText::t("Extraction cancelled", "Çıkarma iptal edildi");
            }
            if (extractedCount() == archives_.size()) {
                return ViewModelText::t("Extraction finished", "Çıkarma tamamlandı");
            }
            return archives_.size() == 1 ? ViewModelText::t("The archive could not be extracted",
                                                            "Arşiv çıkarılamadı")
                                         : ViewModelText::t("Some archives could not be extracted",
                                                            "Bazı arşivler çıkarılamadı");
        case Phase::idle:
        case Phase::reading:
        case Phase::extracting:
        case Phase::askingPassword:
            break;
    }
    return archives_.size() == 1
               ? ViewModelText::t("Extracting archive…", "Arşiv çıkarılıyor…")
               : ViewModelText::t("Extracting archives…", "Arşivler çıkarılıyor…");
}

QString BatchExtraction::positionText() const {
    // A lone archive needs no count: its name says which one is worked on.
    if (index_ < 0 || archives_.size() < 2) return {};
    // The numbers go into the translated sentence: word order differs between languages.
    return ViewModelText::t("Archive %1 of %2", "Arşiv %1 / %2")
        .arg(number(currentPosition()), number(archives_.size()));
}

QString BatchExtraction::summaryText() const {
    if (archives_.size() < 2) return {};
    return ViewModelText::t("%1 of %2 archives extracted.", "%2 arşivden %1 tanesi çıkarıldı.")
        .arg(number(extractedCount()), number(archives_.size()));
}

// --- Actions --------------------------------------------------------------------------

void BatchExtraction::start() {
    if (phase_ != Phase::idle) return;
    if (archives_.isEmpty()) {
        finish();
        return;
    }
    beginArchive(0);
}

void BatchExtraction::submitPassword(const QString& password) {
    if (phase_ != Phase::askingPassword || password.isEmpty()) return;
    password_ = password.toStdString();
    // An archive whose names were readable only needs the extraction again.
    if (listing_) {
        extractCurrent();
    } else {
        readCurrent();
    }
}

void BatchExtraction::skipArchive() {
    if (phase_ != Phase::askingPassword) return;
    record(ArchiveExtractionOutcome::Kind::skipped,
           ViewModelText::t("Skipped: no password was given.", "Atlandı: parola girilmedi."));
    goOn();
}

void BatchExtraction::cancel() {
    if (phase_ == Phase::finished || cancelRequested_) return;
    cancelRequested_ = true;
    if (phase_ == Phase::idle || phase_ == Phase::askingPassword) {
        finishCancelled();
        return;
    }
    // The outcome of the running task still arrives, after the engine took back what the
    // stopped tool wrote; only then is the batch over.
    setPhase(Phase::cancelling);
    if (token_) token_->cancel();
}

// --- Steps ----------------------------------------------------------------------------

void BatchExtraction::beginArchive(int index) {
    index_ = index;
    listing_.reset();
    password_.reset();
    setPasswordError(std::nullopt);
    emit currentArchiveChanged();
    readCurrent();
}

void BatchExtraction::readCurrent() {
    setPhase(Phase::reading);
    setProgress(std::nullopt);
    token_ = std::make_shared<ProcessCancellationToken>();
    const ArchiveEngineService engine = engine_;
    BackgroundTask::run(
        this,
        [engine, archive = toPath(currentArchive()), password = password_, token = token_](
            const TaskHandle&) { return engine.listArchive(archive, password, token, {}); },
        [this](TaskOutcome<ArchiveListing> outcome) {
            if (!outcome.succeeded()) {
                handleFailure(outcome.failure);
                return;
            }
            listing_ = std::move(*outcome.value);
            if (cancelRequested_) {
                finishCancelled();
                return;
            }
            extractCurrent();
        });
}

void BatchExtraction::extractCurrent() {
    setPhase(Phase::extracting);
    setProgress(0.0);
    setPasswordError(std::nullopt);
    token_ = std::make_shared<ProcessCancellationToken>();
    // Beside the archive, in a folder named after it unless the archive holds one folder
    // only. Files of the user already there are never replaced: whatever the archive holds
    // under a name that exists is written under a new name instead ("name_1"), so a second
    // Extract Here of the same archive, or a folder that happens to share its name, loses
    // nothing. Skipping would lose the archive's version silently; overwriting, the user's.
    const ExtractArchiveOptions options(toPath(QFileInfo(currentArchive()).absolutePath()),
                                        /*useSmartSubfolder=*/true,
                                        ExtractOverwriteMode::autoRename, password_,
                                        /*revealWhenDone=*/false);
    QPointer<BatchExtraction> self(this);
    const TokenPointer token = token_;
    ProgressHandler progress =
        ProgressThrottle::wrap([self, token](double fraction, std::string /*detail*/) {
            if (self.isNull()) return;
            BackgroundTask::post(self.data(), [self, token, fraction] {
                // A late report of an earlier run must not move the bar of this one.
                if (self.isNull() || self->token_ != token || self->phase_ != Phase::extracting) {
                    return;
                }
                self->setProgress(std::clamp(fraction, 0.0, 1.0));
            });
        });
    const ArchiveEngineService engine = engine_;
    BackgroundTask::run(
        this,
        [engine, listing = *listing_, options, token, progress](const TaskHandle&) {
            return engine.extract(listing, {}, options, token, progress);
        },
        [this](TaskOutcome<std::filesystem::path> outcome) {
            if (!outcome.succeeded()) {
                handleFailure(outcome.failure);
                return;
            }
            setProgress(1.0);
            record(ArchiveExtractionOutcome::Kind::extracted, {},
                   QString::fromStdString(outcome.value->string()));
            goOn();
        });
}

void BatchExtraction::handleFailure(const std::exception_ptr& failure) {
    const auto kind = EngineFailure::kindOf(failure);
    if (cancelRequested_ || kind == ArchiveEngineError::Case::cancelled) {
        cancelRequested_ = true;
        finishCancelled();
        return;
    }
    if (kind == ArchiveEngineError::Case::passwordRequired) {
        // A password that was typed and still "required" was not the right one either.
        askPassword(password_ ? std::optional<QString>(ViewModelText::from(
                                    ArchiveEngineError::wrongPassword().errorDescription()))
                              : std::nullopt);
        return;
    }
    if (kind == ArchiveEngineError::Case::wrongPassword) {
        askPassword(EngineFailure::text(failure));
        return;
    }
    record(ArchiveExtractionOutcome::Kind::failed, EngineFailure::text(failure));
    goOn();
}

void BatchExtraction::askPassword(const std::optional<QString>& error) {
    setProgress(std::nullopt);
    setPasswordError(error);
    setPhase(Phase::askingPassword);
}

void BatchExtraction::record(ArchiveExtractionOutcome::Kind kind, const QString& reason,
                             const QString& destination) {
    const auto position = static_cast<qsizetype>(outcomes_.size());
    if (position >= archives_.size()) return;
    outcomes_.push_back({archives_.at(position), kind, reason, destination});
    emit outcomesChanged();
}

void BatchExtraction::goOn() {
    token_.reset();
    // A listing of millions of entries is not kept past its archive.
    listing_.reset();
    if (cancelRequested_) {
        finishCancelled();
    } else if (index_ + 1 < archives_.size()) {
        beginArchive(index_ + 1);
    } else {
        finish();
    }
}

void BatchExtraction::finishCancelled() {
    token_.reset();
    listing_.reset();
    const QString reason = ViewModelText::from(ArchiveEngineError::cancelled().errorDescription());
    bool recorded = false;
    while (static_cast<qsizetype>(outcomes_.size()) < archives_.size()) {
        const auto position = static_cast<qsizetype>(outcomes_.size());
        outcomes_.push_back(
            {archives_.at(position), ArchiveExtractionOutcome::Kind::cancelled, reason, {}});
        recorded = true;
    }
    if (recorded) emit outcomesChanged();
    finish();
}

void BatchExtraction::finish() {
    setProgress(std::nullopt);
    setPasswordError(std::nullopt);
    setPhase(Phase::finished);
    emit finished();
}

// --- Setters --------------------------------------------------------------------------

void BatchExtraction::setPhase(Phase phase) {
    if (phase_ == phase) return;
    phase_ = phase;
    emit phaseChanged();
}

void BatchExtraction::setProgress(const std::optional<double>& progress) {
    if (progress_ == progress) return;
    progress_ = progress;
    emit progressChanged();
}

void BatchExtraction::setPasswordError(const std::optional<QString>& error) {
    if (passwordError_ == error) return;
    passwordError_ = error;
    emit passwordErrorChanged();
}

}  // namespace kelvane::app
