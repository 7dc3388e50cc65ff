// Shared switch through which the interface stops the tool an engine operation is running.
// Once cancelled it stays cancelled; every later run under it refuses to start.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace kelvane {

class ProcessCancellationToken final {
public:
    ProcessCancellationToken() = default;
    ProcessCancellationToken(const ProcessCancellationToken&) = delete;
    ProcessCancellationToken& operator=(const ProcessCancellationToken&) = delete;

    [[nodiscard]] bool isCancelled() const;

    // Marks the token cancelled and asks every attached tool to terminate (SIGTERM, no
    // forced kill). Safe from any thread at any moment; calling it again is harmless.
    void cancel();

    // Used by the process runner. `attach` records a launched child; when the token is
    // already cancelled the child is asked to terminate at once. `detach` must be called
    // before the child is reaped, so a pid that may have been reused is never signalled.
    void attach(pid_t pid);
    void detach(pid_t pid);

private:
    std::mutex lock_;
    // Written under the lock; read without it, because a streaming run asks once per line.
    std::atomic<bool> cancelled_{false};
    // Children launched under this token that have not been reaped yet. Usually one; an
    // operation that runs tools in turn replaces it, concurrent operations add theirs.
    std::vector<pid_t> runningProcesses_;
};

}  // namespace kelvane
