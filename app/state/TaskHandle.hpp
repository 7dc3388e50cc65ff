// A handle on one background task: asking it to stop, and asking whether it was asked.
// Copies share the flag, so the task and whoever started it see the same answer.
#pragma once

#include <stop_token>

namespace kelvane::app {

class TaskHandle final {
public:
    TaskHandle() = default;

    // A request only: the task checks it at its own pace, and a cancelled task delivers
    // nothing.
    void cancel() const { source_.request_stop(); }
    [[nodiscard]] bool isCancelled() const { return source_.stop_requested(); }
    // For work that takes a stop token, such as a search of the directory index.
    [[nodiscard]] std::stop_token stopToken() const { return source_.get_token(); }

private:
    // Copies share one stop state; `mutable` because asking to stop changes no value the
    // handle stands for.
    mutable std::stop_source source_;
};

}  // namespace kelvane::app
