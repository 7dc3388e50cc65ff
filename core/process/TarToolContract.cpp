#include "process/TarToolContract.hpp"

namespace kelvane::TarToolContract {
namespace {

// Without trailing separators, so "/a/b/" names "b" inside "/a".
std::filesystem::path withoutTrailingSeparators(const std::filesystem::path& path) {
    std::string text = path.string();
    while (text.size() > 1 && text.ends_with('/')) text.pop_back();
    return text;
}

}  // namespace

int levelNumber(CompressionLevel level) {
    return level == CompressionLevel::store ? 1 : level.rawValue();
}

bool isLibarchiveTar(const std::filesystem::path& tool) {
    if (tool.filename() == kToolName) return true;
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(tool, error);
    return !error && resolved.filename() == kToolName;
}

std::string exclusionSwitch(std::string_view pattern) {
    return "--exclude=" + std::string(pattern);
}

std::string literalPattern(std::string_view text) {
    std::string pattern;
    pattern.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '*' || c == '?' || c == '[' || c == ']') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

std::string compressionLevelOption(ArchiveCreateFormat format, CompressionLevel level) {
    const std::string_view filter = format == ArchiveCreateFormat::tarXz ? "xz" : "gzip";
    return std::string(filter) + ":compression-level=" + std::to_string(levelNumber(level));
}

std::string storedName(const std::filesystem::path& source) {
    return withoutTrailingSeparators(source).filename().string();
}

std::vector<std::string> createArguments(const std::filesystem::path& archive,
                                         const std::vector<std::filesystem::path>& sources,
                                         ArchiveCreateFormat format, CompressionLevel level,
                                         bool excludeMacJunk, bool levelAsOption,
                                         const std::vector<std::string>& excludedStoredPaths) {
    std::vector<std::string> arguments{
        std::string(format == ArchiveCreateFormat::tarXz ? kCreateXzSwitch : kCreateGzipSwitch),
        archive.string()};
    if (levelAsOption) {
        arguments.emplace_back(kFormatOptionsSwitch);
        arguments.push_back(compressionLevelOption(format, level));
    }
    if (excludeMacJunk) {
        for (const std::string_view pattern : kMacJunkPatterns) {
            arguments.push_back(exclusionSwitch(pattern));
        }
    }
    for (const std::string& storedPath : excludedStoredPaths) {
        arguments.push_back(exclusionSwitch(literalPattern(storedPath)));
    }
    for (const std::filesystem::path& source : sources) {
        const std::filesystem::path path = withoutTrailingSeparators(source);
        std::string name = path.filename().string();
        if (name.starts_with('-') || name.starts_with('@')) name.insert(0, "./");
        arguments.emplace_back(kDirectorySwitch);
        arguments.push_back(path.parent_path().string());
        arguments.push_back(std::move(name));
    }
    return arguments;
}

std::map<std::string, std::string> createEnvironment(ArchiveCreateFormat format,
                                                     CompressionLevel level) {
    const std::string levelText = "-" + std::to_string(levelNumber(level));
    std::map<std::string, std::string> environment{{"COPYFILE_DISABLE", "1"}};
    environment[format == ArchiveCreateFormat::tarXz ? "XZ_OPT" : "GZIP"] = levelText;
    return environment;
}

}  // namespace kelvane::TarToolContract
