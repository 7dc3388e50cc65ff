#include "engine/ArchiveFailureDiagnosis.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "localization/S.hpp"
#include "platform/UnicodeText.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Phrases of 7-Zip and the unarchiver (lower-cased) that mean the data ends early or does
// not decode. Looked for before the "not an archive" phrases: 7-Zip says both about a
// truncated 7z ("Cannot open the file as [7z] archive", then "Unexpected end of archive").
constexpr std::array<std::string_view, 16> kDamagePhrases{
    "unexpected end",
    "attempted to read more data than was available",
    "truncated",
    "data error",
    "crc failed",
    "checksum error",
    "wrong checksum",
    "headers error",
    "corrupt",
    "error on decrunching",
    "archive parsing failed",
    "unpacking failed",
    "wrong size",
    "there are some data after the end",
    "is not valid",
    "damaged",
};

constexpr std::array<std::string_view, 5> kNotArchivePhrases{
    "cannot open the file as archive",
    "can not open the file as archive",
    "couldn't recognize the archive format",
    "is not archive",
    "unsupported archive",
};

// How much of a tool's line is quoted: enough for its reason, not a screenful.
constexpr std::size_t kQuoteLimit = 160;

std::string toolQuote(std::string_view line) {
    if (line.size() <= kQuoteLimit) return std::string(line);
    std::size_t cut = kQuoteLimit;
    // Never split a UTF-8 sequence: back up to the start of the character.
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0U) == 0x80U) --cut;
    return std::string(line.substr(0, cut)) + "…";
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A numbered set: volume n is prefix + n (zero-padded to width) + suffix, numbered from
// `first`. `lead` names a volume outside the numbering that belongs to the set (the ".rar"
// before ".r00", the ".zip" after ".z01").
struct VolumeScheme {
    std::string prefix;
    std::size_t width = 0;
    std::string suffix;
    int first = 1;
    std::string lead;
};

std::string volumeName(const VolumeScheme& scheme, int number) {
    std::string digits = std::to_string(number);
    if (digits.size() < scheme.width) digits.insert(0, scheme.width - digits.size(), '0');
    return scheme.prefix + digits + scheme.suffix;
}

std::optional<VolumeScheme> schemeOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    const std::string stem = name.substr(0, dot);
    const std::string extension = name.substr(dot + 1);
    const std::string lowerExtension = UnicodeText::lowercased(extension);

    // "set.7z.001", "set.zip.002": the number is the whole extension.
    if (extension.size() >= 3 && allDigits(extension)) {
        return VolumeScheme{name.substr(0, dot + 1), extension.size(), {}, 1, {}};
    }
    // "set.part01.rar".
    if (lowerExtension == "rar") {
        const std::size_t part = UnicodeText::lowercased(stem).rfind(".part");
        if (part != std::string::npos && allDigits(std::string_view(stem).substr(part + 5))) {
            return VolumeScheme{stem.substr(0, part + 5), stem.size() - part - 5,
                                name.substr(dot), 1, {}};
        }
    }
    // "set.rar", "set.r00", "set.r01"…: the old RAR naming.
    if (lowerExtension == "rar" || (lowerExtension.size() == 3 && lowerExtension[0] == 'r' &&
                                    allDigits(std::string_view(extension).substr(1)))) {
        const std::string letter = extension.substr(0, 1);
        return VolumeScheme{stem + "." + letter, 2, {}, 0,
                            stem + "." + letter + (letter == "R" ? "AR" : "ar")};
    }
    // "set.z01", "set.z02"…, "set.zip": a split ZIP.
    if (lowerExtension == "zip" || (lowerExtension.size() == 3 && lowerExtension[0] == 'z' &&
                                    allDigits(std::string_view(extension).substr(1)))) {
        const std::string letter = extension.substr(0, 1);
        return VolumeScheme{stem + "." + letter, 2, {}, 1,
                            stem + "." + letter + (letter == "Z" ? "IP" : "ip")};
    }
    return std::nullopt;
}

std::string displayName(const fs::path& archive) {
    const fs::path name = archive.filename();
    return name.empty() ? archive.string() : name.string();
}

}  // namespace

std::optional<fs::path> ArchiveFailureDiagnosis::missingVolume(const fs::path& archive) {
    const auto scheme = schemeOf(archive.filename().string());
    if (!scheme) return std::nullopt;
    const fs::path folder = archive.parent_path().empty() ? fs::path(".") : archive.parent_path();

    // The highest number present tells how far the set goes; a missing last volume cannot
    // be told from a set that ends there.
    int highest = -1;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(scheme->prefix) || !name.ends_with(scheme->suffix)) continue;
        const std::string_view digits = std::string_view(name).substr(
            scheme->prefix.size(), name.size() - scheme->prefix.size() - scheme->suffix.size());
        if (digits.size() != scheme->width || !allDigits(digits)) continue;
        highest = std::max(highest, std::stoi(std::string(digits)));
    }
    if (highest < scheme->first) return std::nullopt;
    if (!scheme->lead.empty() && !fs::exists(folder / scheme->lead, error)) {
        return archive.parent_path() / scheme->lead;
    }
    for (int number = scheme->first; number <= highest; ++number) {
        const std::string name = volumeName(*scheme, number);
        if (!fs::exists(folder / name, error)) return archive.parent_path() / name;
    }
    return std::nullopt;
}

std::optional<std::string> ArchiveFailureDiagnosis::fileProblem(const fs::path& archive) {
    if (archive.empty()) return std::nullopt;
    std::error_code error;
    const fs::file_status status = fs::status(archive, error);
    if (status.type() == fs::file_type::not_found) {
        return S::t("This file does not exist: ", "Bu dosya yok: ") + archive.string();
    }
    if (status.type() == fs::file_type::directory) {
        return S::t("This is a folder, not an archive: ", "Bu bir klasör, arşiv değil: ") +
               displayName(archive);
    }
    if (status.type() == fs::file_type::regular && fs::file_size(archive, error) == 0 && !error) {
        return S::t("This file is empty, so it holds no archive: ",
                    "Bu dosya boş, içinde arşiv yok: ") +
               displayName(archive);
    }
    if (const auto missing = missingVolume(archive)) {
        return S::t("A volume of this archive is missing: ", "Bu arşivin bir parçası eksik: ") +
               missing->filename().string();
    }
    return std::nullopt;
}

std::optional<std::string> ArchiveFailureDiagnosis::toolVerdict(
    const fs::path& archive, const std::vector<std::string>& messageLines) {
    for (const std::string& line : messageLines) {
        const std::string lower = UnicodeText::lowercased(line);
        for (const std::string_view phrase : kDamagePhrases) {
            if (lower.find(phrase) == std::string::npos) continue;
            return S::t("This archive is damaged or truncated: ", "Bu arşiv hasarlı ya da eksik: ") +
                   displayName(archive) + " (" + toolQuote(line) + ")";
        }
    }
    for (const std::string& line : messageLines) {
        const std::string lower = UnicodeText::lowercased(line);
        for (const std::string_view phrase : kNotArchivePhrases) {
            if (lower.find(phrase) == std::string::npos) continue;
            return S::t("This file is not an archive, or its format is not supported: ",
                        "Bu dosya bir arşiv değil ya da biçimi desteklenmiyor: ") +
                   displayName(archive);
        }
    }
    return std::nullopt;
}

std::optional<std::string> ArchiveFailureDiagnosis::describe(
    const fs::path& archive, const std::vector<std::string>& messageLines) {
    if (auto problem = fileProblem(archive)) return problem;
    return toolVerdict(archive, messageLines);
}

}  // namespace kelvane
