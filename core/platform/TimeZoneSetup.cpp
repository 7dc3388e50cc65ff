#include "platform/TimeZoneSetup.hpp"

#include <cstdlib>
#include <ctime>

namespace kelvane::TimeZoneSetup {

bool ensureTimeZoneVariable() {
    if (std::getenv("TZ") != nullptr) return false;
    // The leading colon names a zone file; this one is what glibc reads when TZ is unset.
    if (::setenv("TZ", ":/etc/localtime", 0) != 0) return false;
    ::tzset();
    return true;
}

}  // namespace kelvane::TimeZoneSetup
