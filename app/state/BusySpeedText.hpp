// The throughput shown under a running operation: the average since it began, worked out
// from the share done of the bytes it expects, in MB/s (MB meaning 1,048,576 bytes).
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace kelvane::app {

struct BusySpeedText final {
    // None until the figure means something: more than 1 MiB expected, more than a
    // quarter second gone, more than 1 % done.
    [[nodiscard]] static std::optional<QString> format(double fraction, std::int64_t totalBytes,
                                                       double elapsedSeconds) {
        if (totalBytes <= 1048576 || elapsedSeconds <= 0.25 || fraction <= 0.01) {
            return std::nullopt;
        }
        const double speed =
            fraction * static_cast<double>(totalBytes) / 1048576.0 / elapsedSeconds;
        return QString::asprintf("%.1f MB/s", speed);
    }
};

}  // namespace kelvane::app
