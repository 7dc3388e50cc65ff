// One progress report of a running operation: how far it is (0 to 1) and a short text.
#pragma once

#include <string>

namespace kelvane {

struct ProgressReport {
    double fraction = 0.0;
    std::string detail;

    friend bool operator==(const ProgressReport&, const ProgressReport&) = default;
};

}  // namespace kelvane
