#include "EngineOperation.hpp"

#include <exception>

#include "ArchiveOpening.hpp"
#include "InterruptWatcher.hpp"
#include "TerminalProgressLine.hpp"

namespace kelvane::cli {

ExitCode EngineOperation::exitCodeFor(const ArchiveEngineError& error) {
    switch (error.kind()) {
        case ArchiveEngineError::Case::binaryNotFound:
            return ExitCode::toolMissing;
        case ArchiveEngineError::Case::passwordRequired:
        case ArchiveEngineError::Case::wrongPassword:
            return ExitCode::password;
        case ArchiveEngineError::Case::cancelled:
            return ExitCode::cancelled;
        case ArchiveEngineError::Case::processFailed:
        case ArchiveEngineError::Case::unsupportedModification:
            return ExitCode::failed;
    }
    return ExitCode::failed;
}

ExitCode EngineOperation::run(std::int64_t expectedBytes, const Work& work) {
    auto token = std::make_shared<ProcessCancellationToken>();
    InterruptWatcher::watch(token);
    TerminalProgressLine progress(expectedBytes);
    const auto finish = [&progress] {
        progress.clear();
        InterruptWatcher::watch(nullptr);
    };
    try {
        work(token, [&progress](double fraction, std::string_view detail) {
            progress.report(fraction, detail);
        });
        finish();
        return ExitCode::success;
    } catch (const ArchiveEngineError& failure) {
        finish();
        // A Ctrl-C on a terminal reaches the tool too, which may die of it before the
        // token is cancelled: the interruption is what the user needs to hear about.
        const ArchiveEngineError& reported =
            InterruptWatcher::wasInterrupted() ? ArchiveEngineError::cancelled() : failure;
        ArchiveOpening::reportError(reported.errorDescription());
        return exitCodeFor(reported);
    } catch (const std::exception& failure) {
        finish();
        if (InterruptWatcher::wasInterrupted()) {
            ArchiveOpening::reportError(ArchiveEngineError::cancelled().errorDescription());
            return ExitCode::cancelled;
        }
        ArchiveOpening::reportError(failure.what());
        return ExitCode::failed;
    }
}

}  // namespace kelvane::cli
