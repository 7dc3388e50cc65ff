#include "InterruptWatcher.hpp"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "ExitCode.hpp"

namespace kelvane::cli {
namespace {

std::atomic<bool> interrupted{false};
std::mutex tokenLock;
std::shared_ptr<ProcessCancellationToken> watchedToken;

sigset_t watchedSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

void cancelWatchedToken() {
    std::shared_ptr<ProcessCancellationToken> token;
    {
        const std::lock_guard lock(tokenLock);
        token = watchedToken;
    }
    if (token) token->cancel();
}

}  // namespace

void InterruptWatcher::install() {
    const sigset_t signals = watchedSignals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        for (;;) {
            int received = 0;
            if (::sigwait(&signals, &received) != 0) continue;
            if (interrupted.exchange(true)) {
                // Asked twice: stop without waiting for the tool any longer.
                ::_exit(static_cast<int>(ExitCode::cancelled));
            }
            cancelWatchedToken();
        }
    }).detach();
}

void InterruptWatcher::watch(std::shared_ptr<ProcessCancellationToken> token) {
    {
        const std::lock_guard lock(tokenLock);
        watchedToken = std::move(token);
    }
    if (interrupted.load()) cancelWatchedToken();
}

bool InterruptWatcher::wasInterrupted() {
    return interrupted.load();
}

}  // namespace kelvane::cli
