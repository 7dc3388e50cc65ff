// What a line-streamed tool run returns: its termination status and the end of what it
// printed on standard error.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

struct StreamResult {
    // The exit code, or 128 + the signal number when a signal ended the tool.
    std::int32_t exitCode = 0;
    // The last at most 32768 bytes of standard error, as UTF-8 text (U+FFFD repairs).
    std::string stderrTail;
};

}  // namespace kelvane
