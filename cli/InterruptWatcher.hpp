// Turns Ctrl-C (SIGINT) and SIGTERM into a cancellation of the running operation, so
// the archiver it started is stopped through the engine's token and the command exits
// with status 130 instead of leaving the tool behind.
#pragma once

#include <memory>

#include "process/ProcessCancellationToken.hpp"

namespace kelvane::cli {

class InterruptWatcher final {
public:
    InterruptWatcher() = delete;

    // Blocks both signals in every thread and starts the thread that waits for them. Call
    // before any other thread starts, so every thread inherits the blocked mask. (Tools
    // are started with an empty mask, so they still receive signals.) A second signal
    // ends the program at once.
    static void install();

    // The token the next signal cancels; a signal that came earlier cancels it at once.
    static void watch(std::shared_ptr<ProcessCancellationToken> token);

    // True once a signal has arrived.
    [[nodiscard]] static bool wasInterrupted();
};

}  // namespace kelvane::cli
