// Runs an external archiver without a shell and collects or streams what it prints, with
// bounded memory, honouring a cancellation token.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "process/ProcessCancellationToken.hpp"
#include "process/ProcessResult.hpp"
#include "process/StreamResult.hpp"

namespace kelvane {

// Both operations block the calling thread until the tool has exited and its output pipes
// are drained (a poll loop on the calling thread reads both pipes, so a tool never stalls
// on a full pipe). Both throw ArchiveEngineError::cancelled() when the token was cancelled
// at any moment before they return, and std::system_error naming the executable when the
// tool cannot be started. Exit codes are not judged here.
class ProcessRunner final {
public:
    ProcessRunner() = delete;

    // Standard output is kept whole when `captureFullStdout`, else as its last 32768
    // bytes; standard error always as its last 32768 bytes. `environment` entries are set
    // on top of the program's own environment. `onOutputChunk` receives every chunk read
    // from either stream that is valid UTF-8 on its own, on the calling thread.
    [[nodiscard]] static ProcessResult run(
        const std::filesystem::path& executable, const std::vector<std::string>& arguments,
        const std::optional<std::filesystem::path>& workingDirectory = {},
        const std::optional<std::map<std::string, std::string>>& environment = {},
        bool captureFullStdout = false,
        const std::shared_ptr<ProcessCancellationToken>& cancellation = {},
        const std::function<void(std::string_view chunk)>& onOutputChunk = {});

    // Hands every line of standard output to `onLine` as it arrives, on the calling
    // thread, in order; the tool inherits the program's working directory and environment.
    // A line ends at a line feed; a carriage return right before it is dropped; the last
    // unterminated line comes after end of file unless the run was cancelled. No line is
    // delivered once cancellation is seen. Lines are UTF-8 (ill-formed bytes become U+FFFD).
    [[nodiscard]] static StreamResult streamStdoutLines(
        const std::filesystem::path& executable, const std::vector<std::string>& arguments,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const std::function<void(std::string_view line)>& onLine);
};

}  // namespace kelvane
