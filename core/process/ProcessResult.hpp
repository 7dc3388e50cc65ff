// What a finished tool run left behind: its termination status and the collected bytes of
// its two output streams.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

struct ProcessResult {
    // The exit code, or 128 + the signal number when a signal ended the tool.
    std::int32_t exitCode = 0;
    // Standard output, whole or its bounded tail, as the run asked.
    std::string stdoutBytes;
    // The bounded tail of standard error.
    std::string stderrBytes;

    // The bytes as UTF-8 text; ill-formed sequences become U+FFFD. Never fails.
    [[nodiscard]] std::string stdoutString() const;
    [[nodiscard]] std::string stderrString() const;
};

}  // namespace kelvane
