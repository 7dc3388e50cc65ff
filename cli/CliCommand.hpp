// One command of kelvane-cli: its name, its help and what runs it. A new command is a
// file that defines one of these and a line in the command table.
#pragma once

#include <span>
#include <string_view>

#include "CommandLineOption.hpp"
#include "ExitCode.hpp"
#include "ParsedCommandLine.hpp"

namespace kelvane::cli {

struct CliCommand {
    std::string_view name;
    // One line for the command overview.
    std::string_view summary;
    // The arguments after the command name, as the help shows them.
    std::string_view synopsis;
    // What the command does, shown by its help after the synopsis.
    std::string_view description;
    std::span<const CommandLineOption> options;
    // Runs with the parsed arguments; throws UsageError for arguments it cannot use.
    ExitCode (*run)(const ParsedCommandLine& arguments);
};

}  // namespace kelvane::cli
