// The progress callback of every long engine operation. The report is the callee's to keep:
// its detail is an owned text, so a caller may store or forward it after the call returns.
// Called from whichever thread reads the running tool's output.
#pragma once

#include <functional>
#include <string>

#include "process/ProgressReport.hpp"

namespace kelvane {

using ProgressHandler = std::function<void(const ProgressReport& report)>;

// Calls the handler, when there is one.
inline void notifyProgress(const ProgressHandler& onProgress, double fraction,
                           std::string detail = {}) {
    if (onProgress) onProgress(ProgressReport{fraction, std::move(detail)});
}

}  // namespace kelvane
