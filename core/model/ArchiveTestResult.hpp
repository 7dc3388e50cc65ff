// The outcome of an integrity test.
#pragma once

#include <string>

namespace kelvane {

struct ArchiveTestResult {
    bool passed = false;
    long long testedEntries = 0;
    std::string summary;

    friend bool operator==(const ArchiveTestResult&, const ArchiveTestResult&) = default;
};

}  // namespace kelvane
