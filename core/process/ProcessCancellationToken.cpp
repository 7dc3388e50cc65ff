#include "process/ProcessCancellationToken.hpp"

#include <signal.h>

#include <algorithm>

namespace kelvane {

bool ProcessCancellationToken::isCancelled() const {
    return cancelled_.load(std::memory_order_acquire);
}

void ProcessCancellationToken::cancel() {
    std::lock_guard guard(lock_);
    cancelled_.store(true, std::memory_order_release);
    // Signalling under the lock is what keeps this safe: the runner detaches a child under
    // the same lock before reaping it, so every pid here still names our unreaped child.
    for (const pid_t pid : runningProcesses_) {
        ::kill(pid, SIGTERM);
    }
}

void ProcessCancellationToken::attach(pid_t pid) {
    std::lock_guard guard(lock_);
    runningProcesses_.push_back(pid);
    if (cancelled_.load(std::memory_order_relaxed)) {
        ::kill(pid, SIGTERM);
    }
}

void ProcessCancellationToken::detach(pid_t pid) {
    std::lock_guard guard(lock_);
    std::erase(runningProcesses_, pid);
}

}  // namespace kelvane
