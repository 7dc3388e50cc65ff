// The last local minute FastTimestampParser converted, so entries stamped within the same
// minute (archives made in one go have millions) skip the calendar conversion.
#pragma once

#include <array>
#include <ctime>

namespace kelvane {

// One per listing, used from one thread: the zone must not change while it is in use.
// Within one local minute the zone's offset is constant (zone transitions fall on whole
// minutes), so the minute's start plus the seconds is the whole answer.
struct LocalMinuteCache {
    // Year, month, day, hour and minute of the cached minute; year 0 marks it empty.
    std::array<int, 5> minute{};
    std::time_t minuteStart = 0;
};

}  // namespace kelvane
