// Turns whatever an engine call threw into the one line a person is shown: the engine's
// own errors in the interface language, file-system and system errors with the path and
// the reason, anything else with its message.
#pragma once

#include <exception>
#include <string>

namespace kelvane {

struct EngineFailureText final {
    // A null pointer gives an empty text.
    [[nodiscard]] static std::string describe(const std::exception_ptr& failure);
};

}  // namespace kelvane
