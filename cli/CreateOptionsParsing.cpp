#include "CreateOptionsParsing.hpp"

#include <optional>
#include <string>
#include <utility>

#include "UsageError.hpp"

namespace kelvane::cli::CreateOptionsParsing {
namespace {

template <class Value, std::size_t N>
std::optional<Value> lookUp(const std::array<std::pair<std::string_view, Value>, N>& table,
                            std::string_view name) {
    for (const auto& [candidate, value] : table) {
        if (candidate == name) return value;
    }
    return std::nullopt;
}

template <class Value, std::size_t N>
std::string namesOf(const std::array<std::pair<std::string_view, Value>, N>& table) {
    std::string names;
    for (const auto& [candidate, value] : table) {
        if (!names.empty()) names += ", ";
        names += candidate;
    }
    return names;
}

constexpr std::array<std::pair<std::string_view, ArchiveCreateFormat>, 5> kFormats{{
    {"zip", ArchiveCreateFormat::zip},
    {"7z", ArchiveCreateFormat::sevenZ},
    {"tar", ArchiveCreateFormat::tar},
    {"tar.gz", ArchiveCreateFormat::tarGz},
    {"tar.xz", ArchiveCreateFormat::tarXz},
}};

constexpr std::array<std::pair<std::string_view, CompressionLevel>, 5> kLevels{{
    {"store", CompressionLevel::store},
    {"fast", CompressionLevel::fast},
    {"normal", CompressionLevel::normal},
    {"maximum", CompressionLevel::maximum},
    {"ultra", CompressionLevel::ultra},
}};

constexpr std::array<std::pair<std::string_view, VolumeSplitPreset>, 4> kSplits{{
    {"100m", VolumeSplitPreset::mb100},
    {"700m", VolumeSplitPreset::mb700},
    {"1g", VolumeSplitPreset::gb1},
    {"4g", VolumeSplitPreset::gb4},
}};

template <class Value, std::size_t N>
Value required(const std::array<std::pair<std::string_view, Value>, N>& table,
               std::string_view option, std::string_view name) {
    if (const auto value = lookUp(table, name)) return *value;
    throw UsageError("--" + std::string(option) + " '" + std::string(name) + "' is not one of " +
                     namesOf(table));
}

}  // namespace

CreateArchiveOptions parse(const ParsedCommandLine& arguments) {
    CreateArchiveOptions options;
    const auto format = arguments.value(kFormatOption.name);
    if (!format) throw UsageError("--format is required (" + namesOf(kFormats) + ")");
    options.format = required(kFormats, kFormatOption.name, *format);
    if (const auto level = arguments.value(kLevelOption.name)) {
        options.compressionLevel = required(kLevels, kLevelOption.name, *level);
    }
    options.password = arguments.value(kPasswordOption.name).value_or(std::string());
    options.encryptFileNames = arguments.flag(kEncryptNamesOption.name);
    if (const auto split = arguments.value(kSplitOption.name)) {
        options.volumeSplit = required(kSplits, kSplitOption.name, *split);
    }
    if (!options.password.empty() && !options.format.supportsEncryption()) {
        throw UsageError("--password needs zip or 7z; " + std::string(formatName(options.format)) +
                         " cannot be encrypted");
    }
    if (options.encryptFileNames && !options.format.supportsHeaderEncryption()) {
        throw UsageError("--encrypt-names needs --format 7z");
    }
    if (options.encryptFileNames && options.password.empty()) {
        throw UsageError("--encrypt-names needs --password");
    }
    if (options.volumeSplit != VolumeSplitPreset::none && !options.format.supportsSplitVolumes()) {
        throw UsageError("--split needs zip, 7z or tar");
    }
    return options;
}

std::string_view formatName(ArchiveCreateFormat format) {
    for (const auto& [name, value] : kFormats) {
        if (value == format) return name;
    }
    return "zip";
}

std::filesystem::path absolutePath(std::string_view operand) {
    return std::filesystem::absolute(std::filesystem::path(operand)).lexically_normal();
}

}  // namespace kelvane::cli::CreateOptionsParsing
