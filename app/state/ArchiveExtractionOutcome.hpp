// How one archive of a batch extraction ended, and what to tell about it.
#pragma once

#include <QString>

namespace kelvane::app {

struct ArchiveExtractionOutcome {
    enum class Kind {
        extracted,  // destination: the folder the files went into
        failed,     // reason: the engine's account of the failure
        skipped,    // the user gave no password for it
        cancelled,  // stopped while running, or never started because the batch was cancelled
    };

    // The archive as it was named, made absolute.
    QString archive;
    Kind kind = Kind::failed;
    // Empty for an extracted archive.
    QString reason;
    // Empty unless extracted.
    QString destination;

    // Failed and skipped archives: what the user has to hear about when the batch ends.
    [[nodiscard]] bool needsAttention() const {
        return kind == Kind::failed || kind == Kind::skipped;
    }
};

}  // namespace kelvane::app
