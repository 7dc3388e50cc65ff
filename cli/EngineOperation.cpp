#include "EngineOperation.hpp"

#include <cstdio>
#include <exception>
#include <string>

#include "ArchiveOpening.hpp"
#include "InterruptWatcher.hpp"
#include "TerminalProgressLine.hpp"
#include "localization/S.hpp"

namespace kelvane::cli {
namespace {

ExitCode exitCodeFor(const ArchiveEngineError& error) {
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

}  // namespace

ExitCode EngineOperation::reportFailure(const ArchiveEngineError& failure,
                                        std::string_view passwordOption) {
    const ArchiveEngineError& reported =
        InterruptWatcher::wasInterrupted() ? ArchiveEngineError::cancelled() : failure;
    const ExitCode status = exitCodeFor(reported);
    std::string message = reported.errorDescription();
    if (status == ExitCode::password) {
        message += " ";
        message += S::t("Give the password with the option ", "Parolayı şu seçenekle verin: ");
        message += passwordOption;
    }
    ArchiveOpening::reportError(message);
    return status;
}

ExitCode EngineOperation::printPath(const std::filesystem::path& path) {
    const std::string line = path.string() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    return std::fflush(stdout) == 0 ? ExitCode::success : ExitCode::failed;
}

ExitCode EngineOperation::run(std::int64_t expectedBytes, const Work& work,
                              std::string_view passwordOption) {
    auto token = std::make_shared<ProcessCancellationToken>();
    InterruptWatcher::watch(token);
    TerminalProgressLine progress(expectedBytes);
    const auto finish = [&progress] {
        progress.clear();
        InterruptWatcher::watch(nullptr);
    };
    try {
        work(token, [&progress](const ProgressReport& report) {
            progress.report(report.fraction, report.detail);
        });
        finish();
        return ExitCode::success;
    } catch (const ArchiveEngineError& failure) {
        finish();
        return reportFailure(failure, passwordOption);
    } catch (const std::exception& failure) {
        finish();
        if (InterruptWatcher::wasInterrupted())
            return reportFailure(ArchiveEngineError::cancelled());
        ArchiveOpening::reportError(failure.what());
        return ExitCode::failed;
    }
}

}  // namespace kelvane::cli
