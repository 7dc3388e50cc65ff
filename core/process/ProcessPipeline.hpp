// Runs two tools joined by a pipe (the first one's standard output is the second one's
// standard input), as a shell's "a | b" would, without a shell: a decompressor feeding a
// lister, for instance. The second tool's standard output is handed on line by line.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "process/PipelineResult.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ProcessPipeline final {
public:
    struct Tool {
        std::filesystem::path executable;
        std::vector<std::string> arguments;
    };

    ProcessPipeline() = delete;

    // Blocks until both tools have exited and their pipes are drained. Both tools are
    // attached to `cancellation`, so one cancel stops both at once; when anything throws
    // (the line callback included) both are killed and reaped before this returns, so no
    // tool outlives the call. Throws ArchiveEngineError::cancelled() when the token was
    // cancelled at any moment, and std::system_error when a tool cannot be started.
    // `onLine` hears the consumer's standard output as ProcessRunner::streamStdoutLines
    // delivers it; `onProducerStderr` hears every chunk of the producer's standard error
    // (progress, for instance). Both run on the calling thread.
    [[nodiscard]] static PipelineResult streamStdoutLines(
        const Tool& producer, const Tool& consumer,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const std::function<void(std::string_view line)>& onLine,
        const std::function<void(std::string_view chunk)>& onProducerStderr = {});
};

}  // namespace kelvane
