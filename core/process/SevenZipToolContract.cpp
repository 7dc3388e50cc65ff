#include "process/SevenZipToolContract.hpp"

namespace kelvane::SevenZipToolContract {

std::string pathArgument(const std::filesystem::path& path) {
    std::string text = path.string();
    if (text.starts_with('-') || text.starts_with('@')) text.insert(0, "./");
    return text;
}

std::string passwordSwitch(const std::optional<std::string>& password) {
    return "-p" + password.value_or(std::string());
}

std::optional<std::string> passwordSwitchIfNotEmpty(std::string_view password) {
    if (password.empty()) return std::nullopt;
    return "-p" + std::string(password);
}

std::string outputFolderSwitch(const std::filesystem::path& folder) {
    return "-o" + folder.string();
}

std::string_view overwriteSwitch(ExtractOverwriteMode mode) {
    switch (mode) {
        case ExtractOverwriteMode::overwrite:
            return "-aoa";
        case ExtractOverwriteMode::skipExisting:
            return "-aos";
        case ExtractOverwriteMode::autoRename:
            return "-aou";
    }
    return "-aoa";
}

std::optional<std::string_view> typeSwitch(ArchiveCreateFormat format) {
    switch (format) {
        case ArchiveCreateFormat::zip:
            return "-tzip";
        case ArchiveCreateFormat::sevenZ:
            return "-t7z";
        case ArchiveCreateFormat::tar:
            return "-ttar";
        case ArchiveCreateFormat::tarGz:
        case ArchiveCreateFormat::tarXz:
            return std::nullopt;
    }
    return std::nullopt;
}

std::string levelSwitch(CompressionLevel level) {
    return "-mx=" + std::to_string(level.rawValue());
}

std::optional<std::string_view> volumeSwitch(VolumeSplitPreset preset) {
    return preset.sevenZipFlag();
}

std::string exclusionSwitch(std::string_view pattern) {
    return "-xr!" + std::string(pattern);
}

std::vector<std::string> macJunkExclusions() {
    std::vector<std::string> switches;
    for (const std::string_view pattern : kMacJunkPatterns) {
        switches.push_back(exclusionSwitch(pattern));
    }
    return switches;
}

std::string listFileArgument(const std::filesystem::path& listFile) {
    return "@" + listFile.string();
}

std::vector<std::string> listArguments(const std::filesystem::path& archive,
                                       const std::optional<std::string>& password) {
    return {std::string(kListCommand), std::string(kTechnicalListingSwitch),
            std::string(kUtf8ConsoleSwitch), std::string(kExactNamesSwitch),
            passwordSwitch(password), pathArgument(archive)};
}

std::vector<std::string> testArguments(const std::filesystem::path& archive,
                                       const std::optional<std::string>& password) {
    return {std::string(kTestCommand), std::string(kProgressSwitch),
            std::string(kUtf8ConsoleSwitch), std::string(kExactNamesSwitch),
            passwordSwitch(password), pathArgument(archive)};
}

bool holdsWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

std::string exclusionListSwitch(const std::filesystem::path& listFile) {
    return "-xr@" + listFile.string();
}

std::string storedPathExclusionSwitch(std::string_view storedPath) {
    return "-x!" + std::string(storedPath);
}

std::vector<std::string> createArguments(const std::filesystem::path& archive,
                                         const std::vector<std::filesystem::path>& sources,
                                         const CreateArchiveOptions& options,
                                         const SevenZipCreationNames& names) {
    std::vector<std::string> arguments{std::string(kAddCommand)};
    if (const auto type = typeSwitch(options.format)) arguments.emplace_back(*type);
    arguments.push_back(levelSwitch(options.compressionLevel));
    arguments.emplace_back(kProgressSwitch);
    arguments.emplace_back(kUtf8ConsoleSwitch);
    if (names.exact) arguments.emplace_back(kExactNamesSwitch);
    if (names.storeLinks) arguments.emplace_back(kStoreLinksSwitch);
    if (options.excludeMacJunk) {
        for (const std::string_view pattern : kMacJunkPatterns) {
            if (names.exact && holdsWildcard(pattern)) continue;
            arguments.push_back(exclusionSwitch(pattern));
        }
        if (names.exact && names.junkNamesListFile) {
            arguments.push_back(exclusionListSwitch(*names.junkNamesListFile));
        }
    }
    for (const std::string& storedPath : names.excludedStoredPaths) {
        arguments.push_back(storedPathExclusionSwitch(storedPath));
    }
    const bool takesPassword =
        options.format == ArchiveCreateFormat::zip || options.format == ArchiveCreateFormat::sevenZ;
    if (takesPassword) {
        if (auto password = passwordSwitchIfNotEmpty(options.password)) {
            arguments.push_back(std::move(*password));
            if (options.format == ArchiveCreateFormat::zip) {
                arguments.emplace_back(kZipAesSwitch);
            } else if (options.encryptFileNames) {
                arguments.emplace_back(kEncryptHeadersSwitch);
            }
        }
    }
    if (typeSwitch(options.format)) {
        if (const auto volume = volumeSwitch(options.volumeSplit)) arguments.emplace_back(*volume);
    }
    arguments.push_back(pathArgument(archive));
    for (const std::filesystem::path& source : sources) arguments.push_back(pathArgument(source));
    return arguments;
}

std::vector<std::string> addArguments(const std::filesystem::path& archive,
                                      const std::vector<std::filesystem::path>& sources,
                                      std::string_view password) {
    std::vector<std::string> arguments{std::string(kAddCommand), std::string(kProgressSwitch),
                                       std::string(kUtf8ConsoleSwitch),
                                       std::string(kExactNamesSwitch)};
    // The resource-fork pattern is not among them, so literal names lose nothing here.
    for (const std::string_view pattern : kMacJunkPatterns) {
        if (!holdsWildcard(pattern)) arguments.push_back(exclusionSwitch(pattern));
    }
    if (auto passwordArgument = passwordSwitchIfNotEmpty(password)) {
        arguments.push_back(std::move(*passwordArgument));
    }
    arguments.push_back(pathArgument(archive));
    for (const std::filesystem::path& source : sources) arguments.push_back(pathArgument(source));
    return arguments;
}

std::vector<std::string> deleteArguments(const std::filesystem::path& archive,
                                         const std::filesystem::path& listFile,
                                         std::string_view password) {
    std::vector<std::string> arguments{std::string(kDeleteCommand), std::string(kProgressSwitch),
                                       std::string(kUtf8ConsoleSwitch),
                                       std::string(kExactNamesSwitch)};
    if (auto passwordArgument = passwordSwitchIfNotEmpty(password)) {
        arguments.push_back(std::move(*passwordArgument));
    }
    arguments.push_back(pathArgument(archive));
    arguments.push_back(listFileArgument(listFile));
    return arguments;
}

std::vector<std::string> extractArguments(const std::filesystem::path& archive,
                                          const std::filesystem::path& destination,
                                          ExtractOverwriteMode mode,
                                          const std::optional<std::string>& password,
                                          const std::optional<std::filesystem::path>& listFile) {
    std::vector<std::string> arguments{
        std::string(kExtractCommand),       std::string(kProgressSwitch),
        std::string(kUtf8ConsoleSwitch),    outputFolderSwitch(destination),
        std::string(overwriteSwitch(mode)), passwordSwitch(password),
        std::string(kExactNamesSwitch),     pathArgument(archive)};
    if (listFile) arguments.push_back(listFileArgument(*listFile));
    return arguments;
}

}  // namespace kelvane::SevenZipToolContract
