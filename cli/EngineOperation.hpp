// Runs one engine operation the way every command that changes or checks an archive does:
// a fresh cancellation token that Ctrl-C cancels, the progress line while standard error
// is a terminal, and a failure reported as one line with the matching exit status.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "ExitCode.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ProgressHandler.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane::cli {

class EngineOperation final {
public:
    EngineOperation() = delete;

    using Work = std::function<void(const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                    const ProgressHandler& onProgress)>;

    // Runs `work`; success when it returns. `expectedBytes` feeds the speed of the progress
    // line (0: none shown). Engine errors, file-system errors and failed tool starts are
    // reported; an interruption is reported as a cancellation whatever the tool died of.
    // A password problem names `passwordOption`, the option that gives the password.
    [[nodiscard]] static ExitCode run(std::int64_t expectedBytes, const Work& work,
                                      std::string_view passwordOption = "--password");

    // Reports `failure` as one line, or the cancellation instead once Ctrl-C has come (the
    // tool gets the signal too and may die of it before the token is cancelled), and
    // returns its status: 4 a tool is missing, 3 a password problem, 130 cancelled, 1
    // everything else. A password problem also says to give the password with
    // `passwordOption`, the interface's "enter the password" having no sheet here.
    [[nodiscard]] static ExitCode reportFailure(const ArchiveEngineError& failure,
                                                std::string_view passwordOption = "--password");

    // Prints the path an operation wrote or filled on a line of its own; failed when
    // standard output cannot take it.
    [[nodiscard]] static ExitCode printPath(const std::filesystem::path& path);
};

}  // namespace kelvane::cli
