#include "engine/ProgressThrottle.hpp"

#include <memory>
#include <optional>
#include <utility>

namespace kelvane {
namespace {

struct ThrottleState {
    ProgressThrottle::Sink sink;
    std::chrono::milliseconds interval;
    ProgressThrottle::Clock clock;
    std::mutex mutex;
    std::optional<std::chrono::steady_clock::time_point> lastDelivered;
};

}  // namespace

ProgressHandler ProgressThrottle::wrap(Sink sink, std::chrono::milliseconds interval,
                                       Clock clock) {
    if (!clock) clock = [] { return std::chrono::steady_clock::now(); };
    auto state = std::make_shared<ThrottleState>();
    state->sink = std::move(sink);
    state->interval = interval;
    state->clock = std::move(clock);
    return [state](const ProgressReport& report) {
        const bool isFinal = report.fraction >= 1.0;
        {
            const std::lock_guard lock(state->mutex);
            const auto now = state->clock();
            if (!isFinal && state->lastDelivered && now - *state->lastDelivered < state->interval) {
                return;
            }
            state->lastDelivered = now;
        }
        // Delivered outside the lock: the sink may take its time or report again.
        state->sink(report.fraction, report.detail);
    };
}

}  // namespace kelvane
