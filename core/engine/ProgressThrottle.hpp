// Thins a stream of progress reports to what a person can see: the first report, then at
// most one per interval, and always the final one (a fraction of 1 or more), so an
// interface that queues one task per report is never flooded by a fast tool.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

#include "engine/ProgressHandler.hpp"

namespace kelvane {

class ProgressThrottle final {
public:
    // Receives the reports that pass, with a detail text it may keep.
    using Sink = std::function<void(double fraction, std::string detail)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // About 25 reports a second.
    static constexpr std::chrono::milliseconds kDefaultInterval{40};

    // A handler for the engine that forwards to `sink` what passes. The handler may be
    // called from several threads at once.
    [[nodiscard]] static ProgressHandler wrap(Sink sink,
                                              std::chrono::milliseconds interval = kDefaultInterval,
                                              Clock clock = {});
};

}  // namespace kelvane
