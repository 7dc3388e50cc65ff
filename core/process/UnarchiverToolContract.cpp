#include "process/UnarchiverToolContract.hpp"

namespace kelvane::UnarchiverToolContract {

std::string pathArgument(const std::filesystem::path& path) {
    std::string text = path.string();
    if (text.starts_with('-')) text.insert(0, "./");
    return text;
}

std::vector<std::string> passwordArguments(const std::optional<std::string>& password) {
    if (!password || password->empty()) return {};
    return {std::string(kPasswordSwitch), *password};
}

std::string_view overwriteSwitch(ExtractOverwriteMode mode) {
    switch (mode) {
        case ExtractOverwriteMode::overwrite:
            return "-f";
        case ExtractOverwriteMode::skipExisting:
            return "-s";
        case ExtractOverwriteMode::autoRename:
            return "-r";
    }
    return "-f";
}

namespace {

std::vector<std::string> withPasswordAndArchive(std::vector<std::string> arguments,
                                                const std::filesystem::path& archive,
                                                const std::optional<std::string>& password) {
    for (std::string& argument : passwordArguments(password)) {
        arguments.push_back(std::move(argument));
    }
    arguments.push_back(pathArgument(archive));
    return arguments;
}

}  // namespace

std::vector<std::string> listArguments(const std::filesystem::path& archive,
                                       const std::optional<std::string>& password) {
    return withPasswordAndArchive({std::string(kJsonSwitch)}, archive, password);
}

std::vector<std::string> testArguments(const std::filesystem::path& archive,
                                       const std::optional<std::string>& password) {
    return withPasswordAndArchive({std::string(kTestSwitch)}, archive, password);
}

std::vector<std::string> extractionBaseArguments(const std::filesystem::path& destination,
                                                 ExtractOverwriteMode mode,
                                                 const std::optional<std::string>& password) {
    std::vector<std::string> arguments{std::string(kNoEnclosingFolderSwitch),
                                       std::string(kOutputFolderSwitch), pathArgument(destination),
                                       std::string(overwriteSwitch(mode))};
    for (std::string& argument : passwordArguments(password)) {
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::vector<std::string> extractArguments(const std::filesystem::path& archive,
                                          const std::filesystem::path& destination,
                                          ExtractOverwriteMode mode,
                                          const std::optional<std::string>& password,
                                          bool selectorsAreIndexes,
                                          const std::vector<std::string>& selectors) {
    std::vector<std::string> arguments = extractionBaseArguments(destination, mode, password);
    if (selectorsAreIndexes) arguments.emplace_back(kIndexSelectorsSwitch);
    arguments.push_back(pathArgument(archive));
    arguments.insert(arguments.end(), selectors.begin(), selectors.end());
    return arguments;
}

}  // namespace kelvane::UnarchiverToolContract
