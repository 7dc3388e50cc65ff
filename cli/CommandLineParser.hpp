// Splits a command's arguments into its long options and its operands.
#pragma once

#include <span>
#include <string>

#include "CommandLineOption.hpp"
#include "ParsedCommandLine.hpp"

namespace kelvane::cli {

class CommandLineParser final {
public:
    CommandLineParser() = delete;

    // Accepts "--name value", "--name=value" and "--flag"; "--" ends the options, so an
    // operand may start with "-". A later occurrence of an option replaces an earlier one.
    // Throws UsageError for an unknown option, a missing value, or a value given to a flag.
    [[nodiscard]] static ParsedCommandLine parse(std::span<const std::string> arguments,
                                                 std::span<const CommandLineOption> options);
};

}  // namespace kelvane::cli
