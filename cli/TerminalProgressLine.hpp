// The progress of a long command, redrawn in place on standard error while it is a
// terminal: "  42%  docs/readme.md  ·  12.3 MB/s". Nothing is printed when standard error
// is a file or a pipe, so scripts read only the command's own output and messages.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace kelvane::cli {

class TerminalProgressLine final {
public:
    // `expectedBytes` is what the operation is expected to process, for the speed; 0 when
    // unknown (no speed is shown then).
    explicit TerminalProgressLine(std::int64_t expectedBytes);
    // For tests and other streams: draws on `out` when `enabled`.
    TerminalProgressLine(std::int64_t expectedBytes, std::FILE* out, bool enabled);
    ~TerminalProgressLine();
    TerminalProgressLine(const TerminalProgressLine&) = delete;
    TerminalProgressLine& operator=(const TerminalProgressLine&) = delete;

    // One report of the engine (any thread). An empty detail keeps the previous one. The
    // line is redrawn when the whole percentage changes or a tenth of a second has passed.
    void report(double fraction, std::string_view detail);

    // Removes the line, so the next message starts on a clean line. Safe to call twice.
    void clear();

    // The speed as the busy display computes it: the fraction of the expected bytes per
    // second since the start, "%.1f MB/s" (MB = 1,048,576 bytes); empty while the total
    // is at most 1 MB, less than a quarter second has passed or at most 1 % is done.
    [[nodiscard]] static std::string speedText(double fraction, std::int64_t expectedBytes,
                                               double elapsedSeconds);

    // The line without the terminal's control sequences, cut to `columns` characters.
    [[nodiscard]] static std::string lineText(double fraction, std::string_view detail,
                                              std::string_view speed, std::size_t columns);

private:
    void draw();

    std::mutex lock_;
    std::FILE* out_;
    const bool enabled_;
    const std::int64_t expectedBytes_;
    const std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_{};
    int lastPercent_ = -1;
    double fraction_ = 0.0;
    std::string detail_;
    std::string speed_;
    bool shown_ = false;
};

}  // namespace kelvane::cli
