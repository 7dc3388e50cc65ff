// kelvane-cli: the headless companion of Kelvane, built on the core library alone.
// This file only dispatches: each command lives in its own file (see CommandTable).
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiveOpening.hpp"
#include "CommandLineParser.hpp"
#include "CommandTable.hpp"
#include "ExitCode.hpp"
#include "InterruptWatcher.hpp"
#include "UsageError.hpp"
#include "platform/LargeBlockRelease.hpp"
#include "platform/TimeZoneSetup.hpp"

using kelvane::cli::ExitCode;

namespace {

int status(ExitCode code) { return static_cast<int>(code); }

bool asksForHelp(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") return false;
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

int runCommand(const kelvane::cli::CliCommand& command, const std::vector<std::string>& arguments) {
    using namespace kelvane::cli;
    if (asksForHelp(arguments)) {
        CommandTable::printHelp(command, stdout);
        return status(ExitCode::success);
    }
    try {
        return status(command.run(CommandLineParser::parse(arguments, command.options)));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "kelvane-cli %.*s: %s\nTry 'kelvane-cli help %.*s'.\n",
                     static_cast<int>(command.name.size()), command.name.data(), error.what(),
                     static_cast<int>(command.name.size()), command.name.data());
        return status(ExitCode::usage);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, and before any thread exists: both touch process-wide state
    // that every later thread and every tool started inherits.
    kelvane::TimeZoneSetup::ensureTimeZoneVariable();
    kelvane::LargeBlockRelease::returnLargeBlocksToSystem();
    kelvane::cli::InterruptWatcher::install();
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

    using namespace kelvane::cli;
    const std::string_view name = argc > 1 ? std::string_view(argv[1]) : "help";
    const std::vector<std::string> arguments(argv + std::min(argc, 2), argv + argc);

    if (name == "help" || name == "--help" || name == "-h") {
        if (!arguments.empty()) {
            if (const CliCommand* command = CommandTable::find(arguments.front())) {
                CommandTable::printHelp(*command, stdout);
                return status(ExitCode::success);
            }
        }
        CommandTable::printOverview(stdout);
        return status(arguments.empty() ? ExitCode::success : ExitCode::usage);
    }
    if (name == "version" || name == "--version") {
        std::puts("kelvane-cli " KELVANE_VERSION);
        return status(ExitCode::success);
    }
    const CliCommand* command = CommandTable::find(name);
    if (command == nullptr) {
        std::fprintf(stderr, "kelvane-cli: unknown command '%.*s' (try 'kelvane-cli help')\n",
                     static_cast<int>(name.size()), name.data());
        return status(ExitCode::usage);
    }
    try {
        return runCommand(*command, arguments);
    } catch (const std::exception& error) {
        // A tool that cannot be started, an unreadable file: reported, never a crash.
        ArchiveOpening::reportError(error.what());
        return status(ExitCode::failed);
    }
}
