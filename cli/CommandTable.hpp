// The commands kelvane-cli knows, and the help texts built from them.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

#include "CliCommand.hpp"

namespace kelvane::cli {

class CommandTable final {
public:
    CommandTable() = delete;

    [[nodiscard]] static std::span<const CliCommand* const> commands();
    [[nodiscard]] static const CliCommand* find(std::string_view name);

    // The program's usage with every command's summary and the exit statuses.
    static void printOverview(std::FILE* out);
    // One command's synopsis, description and options.
    static void printHelp(const CliCommand& command, std::FILE* out);
};

}  // namespace kelvane::cli
