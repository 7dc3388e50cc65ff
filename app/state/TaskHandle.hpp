// A handle on one background task: asking it to stop, and asking whether it was asked.
// Copies share the flag, so the task and whoever started it see the same answer.
#pragma once

#include <atomic>
#include <memory>

namespace kelvane::app {

class TaskHandle final {
public:
    TaskHandle() : cancelled_(std::make_shared<std::atomic<bool>>(false)) {}

    // A request only: the task checks it at its own pace, and a cancelled task delivers
    // nothing.
    void cancel() const { cancelled_->store(true, std::memory_order_release); }
    [[nodiscard]] bool isCancelled() const {
        return cancelled_->load(std::memory_order_acquire);
    }

private:
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

}  // namespace kelvane::app
