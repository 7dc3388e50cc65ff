// Byte counts as short text for people: decimal units ("1.5 MB", "532 bytes").
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

class ByteSizeFormatter final {
public:
    // Negative counts read as zero. Kilobytes show no decimals, megabytes one,
    // larger units two; trailing zeros are dropped.
    [[nodiscard]] static std::string format(std::int64_t bytes);
};

}  // namespace kelvane
