// Progress of a tool that prints one line per processed entry (the unarchiver): counts the
// non-blank lines of every chunk against the number expected.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

#include "process/ProgressReport.hpp"

namespace kelvane {

// Shared by the chunk callbacks of both output streams of one run.
class LineProgressCounter final {
public:
    // `total` is the number of lines that stands for 100 %; values below 1 count as 1.
    explicit LineProgressCounter(std::int64_t total);
    LineProgressCounter(const LineProgressCounter&) = delete;
    LineProgressCounter& operator=(const LineProgressCounter&) = delete;

    // Counts the chunk's non-blank lines. The report carries the count's share of the
    // total, never above 0.99 (the operation's return marks the end), and the last
    // non-blank line, trimmed. None for a chunk without a non-blank line.
    [[nodiscard]] std::optional<ProgressReport> consume(std::string_view chunk);

    [[nodiscard]] std::int64_t total() const { return total_; }
    [[nodiscard]] std::int64_t completed() const;

private:
    mutable std::mutex lock_;
    const std::int64_t total_;
    std::int64_t completed_ = 0;
};

}  // namespace kelvane
