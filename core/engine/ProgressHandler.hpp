// The progress callback of the engine's long operations: a fraction from 0 to 1 and a short
// detail text. Called from whichever thread reads the running tool's output.
#pragma once

#include <functional>
#include <string_view>

namespace kelvane {

using ProgressHandler = std::function<void(double fraction, std::string_view detail)>;

}  // namespace kelvane
