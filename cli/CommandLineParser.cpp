#include "CommandLineParser.hpp"

#include <algorithm>
#include <string_view>

#include "UsageError.hpp"

namespace kelvane::cli {

ParsedCommandLine CommandLineParser::parse(std::span<const std::string> arguments,
                                           std::span<const CommandLineOption> options) {
    ParsedCommandLine parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            parsed.addOperand(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!argument.starts_with("--")) {
            throw UsageError("unknown option '" + argument + "'");
        }
        std::string_view name = std::string_view(argument).substr(2);
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            inlineValue = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        const auto option = std::find_if(
            options.begin(), options.end(),
            [name](const CommandLineOption& candidate) { return candidate.name == name; });
        if (option == options.end())
            throw UsageError("unknown option '--" + std::string(name) + "'");
        if (!option->takesValue()) {
            if (inlineValue)
                throw UsageError("option '--" + std::string(name) + "' takes no value");
            parsed.setFlag(name);
            continue;
        }
        if (inlineValue) {
            parsed.setValue(name, *inlineValue);
        } else if (i + 1 < arguments.size()) {
            parsed.setValue(name, arguments[++i]);
        } else {
            throw UsageError("option '--" + std::string(name) + "' needs a value (" +
                             std::string(option->valueName) + ")");
        }
    }
    return parsed;
}

}  // namespace kelvane::cli
