// Totals over sizes that a hostile archive may claim near the 64-bit limit: they stop at
// the limit instead of wrapping around.
#pragma once

#include <cstdint>
#include <limits>

namespace kelvane::SaturatingArithmetic {

[[nodiscard]] inline std::int64_t add(std::int64_t total, std::int64_t value) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(total, value, &sum)) {
        return value > 0 ? std::numeric_limits<std::int64_t>::max()
                         : std::numeric_limits<std::int64_t>::min();
    }
    return sum;
}

}  // namespace kelvane::SaturatingArithmetic
