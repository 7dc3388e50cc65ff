#include "CommandTable.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "AddCommand.hpp"
#include "BrowseCommand.hpp"
#include "ConvertCommand.hpp"
#include "CreateCommand.hpp"
#include "DeleteCommand.hpp"
#include "ExtractCommand.hpp"
#include "HashCommand.hpp"
#include "ListCommand.hpp"
#include "TestCommand.hpp"

namespace kelvane::cli {
namespace {

void print(std::FILE* out, std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); }

}  // namespace

std::span<const CliCommand* const> CommandTable::commands() {
    // The order of the overview.
    static const std::array<const CliCommand*, 9> table{
        &listCommand(), &browseCommand(), &extractCommand(), &testCommand(),
        &createCommand(), &convertCommand(), &addCommand(), &deleteCommand(), &hashCommand()};
    return table;
}

const CliCommand* CommandTable::find(std::string_view name) {
    const auto all = commands();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [name](const CliCommand* command) { return command->name == name; });
    return found == all.end() ? nullptr : *found;
}

void CommandTable::printOverview(std::FILE* out) {
    print(out,
          "Kelvane command-line companion: archives read through the same engine as the app.\n"
          "\n"
          "Usage: kelvane-cli <command> [options] [arguments]\n"
          "       kelvane-cli help <command>\n"
          "\n"
          "Commands:\n");
    for (const CliCommand* command : commands()) {
        std::string line = "  " + std::string(command->name);
        line.resize(std::max<std::size_t>(line.size() + 2, 14), ' ');
        line += std::string(command->summary) + "\n";
        print(out, line);
    }
    print(out,
          "  help        Show this text, or one command's help.\n"
          "  version     Print the program version.\n"
          "\n"
          "Exit status: 0 success, 1 the operation failed, 2 bad usage, 3 a password is\n"
          "needed or wrong, 4 a required archiver is missing, 130 interrupted.\n");
}

void CommandTable::printHelp(const CliCommand& command, std::FILE* out) {
    std::string text = "Usage: kelvane-cli " + std::string(command.name) + " " +
                       std::string(command.synopsis) + "\n\n" + std::string(command.description) +
                       "\n";
    if (!command.options.empty()) text += "\nOptions:\n";
    for (const CommandLineOption& option : command.options) {
        std::string left = "  --" + std::string(option.name);
        if (option.takesValue()) left += " " + std::string(option.valueName);
        left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
        text += left + std::string(option.help) + "\n";
    }
    print(out, text);
}

}  // namespace kelvane::cli
