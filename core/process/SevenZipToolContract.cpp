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
            std::string(kUtf8ConsoleSwitch), passwordSwitch(password), pathArgument(archive)};
}

std::vector<std::string> testArguments(const std::filesystem::path& archive,
                                       const std::optional<std::string>& password) {
    return {std::string(kTestCommand), std::string(kProgressSwitch),
            std::string(kUtf8ConsoleSwitch), passwordSwitch(password), pathArgument(archive)};
}

}  // namespace kelvane::SevenZipToolContract
