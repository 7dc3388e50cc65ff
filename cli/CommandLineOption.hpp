// One long option a command accepts ("--password P", "--json").
#pragma once

#include <string_view>

namespace kelvane::cli {

struct CommandLineOption {
    std::string_view name;       // without the leading "--"
    std::string_view valueName;  // empty for a flag; the placeholder in help ("P", "PATH")
    std::string_view help;

    [[nodiscard]] bool takesValue() const { return !valueName.empty(); }
};

}  // namespace kelvane::cli
