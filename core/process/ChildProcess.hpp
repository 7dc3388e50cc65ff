// A tool launched by the process runner: spawned without a shell, waited for, and always
// reaped, so no zombie outlives the run whatever happens to it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "process/FileDescriptor.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ChildProcess final {
public:
    struct LaunchRequest {
        std::filesystem::path executable;
        std::vector<std::string> arguments;
        std::optional<std::filesystem::path> workingDirectory;
        // Entries set on top of the program's own environment; absent: inherit it unchanged.
        std::optional<std::map<std::string, std::string>> environment;
        // Become the child's standard output and error.
        int stdoutFd = -1;
        int stderrFd = -1;
        // Becomes the child's standard input (the reading end of a pipe between two tools);
        // -1: /dev/null, so a tool that asks for input reads end of file at once.
        int stdinFd = -1;
    };

    // Starts the tool and attaches it to `token` (when given). Every descriptor of the
    // program other than the two given stays out of the child. Throws std::system_error
    // naming the executable when it cannot be started.
    [[nodiscard]] static ChildProcess launch(const LaunchRequest& request,
                                             std::shared_ptr<ProcessCancellationToken> token);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child that was never waited for (the run was abandoned by an exception) is
    // detached, killed outright and reaped.
    ~ChildProcess();

    [[nodiscard]] pid_t pid() const { return pid_; }

    // A descriptor that becomes readable when the child exits, or -1 when the kernel
    // offers none (then `hasExited` has to be asked from time to time).
    [[nodiscard]] int exitNotifier() const { return exitNotifier_.get(); }

    // True once the child has exited; it is not reaped by asking.
    [[nodiscard]] bool hasExited() const;

    // Blocks until the child exits, detaches it from the token, reaps it and returns its
    // termination status: the exit code, or 128 + the signal number when a signal ended
    // it, or -1 when the status was lost (someone else reaped the child).
    [[nodiscard]] int waitForExit();

private:
    ChildProcess(pid_t pid, std::shared_ptr<ProcessCancellationToken> token);

    pid_t pid_ = -1;
    bool reaped_ = false;
    std::shared_ptr<ProcessCancellationToken> token_;
    FileDescriptor exitNotifier_;
};

}  // namespace kelvane
