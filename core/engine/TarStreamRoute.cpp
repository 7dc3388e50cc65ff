#include "engine/TarStreamRoute.hpp"

#include <array>
#include <string_view>
#include <utility>

#include "platform/UnicodeText.hpp"

namespace kelvane::TarStreamRoute {
namespace {

struct Suffix {
    std::string_view suffix;
    std::string_view format;
};

// Tried in order; the longer compound names first.
constexpr std::array<Suffix, 9> kCompressedTarSuffixes{{
    {".tar.gz", "TAR.GZ"},
    {".tgz", "TAR.GZ"},
    {".tar.bz2", "TAR.BZ2"},
    {".tbz2", "TAR.BZ2"},
    {".tbz", "TAR.BZ2"},
    {".tar.xz", "TAR.XZ"},
    {".txz", "TAR.XZ"},
    {".tar.zst", "TAR.ZST"},
    {".tzst", "TAR.ZST"},
}};
constexpr std::array<Suffix, 3> kPackageSuffixes{{
    {".deb", "DEB"},
    {".rpm", "RPM"},
    {".cpio", "CPIO"},
}};
constexpr std::array<Suffix, 4> kSingleSuffixes{{
    {".gz", "TAR.GZ"},
    {".bz2", "TAR.BZ2"},
    {".xz", "TAR.XZ"},
    {".zst", "TAR.ZST"},
}};

std::string lowercasedName(const std::filesystem::path& archive) {
    return UnicodeText::lowercased(archive.filename().string());
}

template <std::size_t N>
const Suffix* matching(std::string_view name, const std::array<Suffix, N>& suffixes) {
    for (const Suffix& candidate : suffixes) {
        // A name that is nothing but the suffix (".gz") is a hidden file, not an archive.
        if (name.size() > candidate.suffix.size() && name.ends_with(candidate.suffix)) {
            return &candidate;
        }
    }
    return nullptr;
}

// 7-Zip and bsdtar take an argument starting with "-" for a switch.
std::string safePath(const std::filesystem::path& path) {
    const std::string text = path.string();
    return text.starts_with('-') ? "./" + text : text;
}

}  // namespace

Kind kindOf(const std::filesystem::path& archive) {
    const std::string name = lowercasedName(archive);
    if (matching(name, kCompressedTarSuffixes) != nullptr) return Kind::compressedTar;
    if (matching(name, kPackageSuffixes) != nullptr) return Kind::package;
    if (matching(name, kSingleSuffixes) != nullptr) return Kind::compressedSingle;
    return Kind::none;
}

std::string formatName(const std::filesystem::path& archive, bool contentIsTar) {
    const std::string name = lowercasedName(archive);
    if (const Suffix* match = matching(name, kCompressedTarSuffixes)) {
        return std::string(match->format);
    }
    if (const Suffix* match = matching(name, kPackageSuffixes)) return std::string(match->format);
    if (const Suffix* match = matching(name, kSingleSuffixes); match != nullptr && contentIsTar) {
        return std::string(match->format);
    }
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string()
                                    : UnicodeText::uppercased(std::string_view(name).substr(dot + 1));
}

std::vector<std::string> sevenZipUnpackArguments(const std::filesystem::path& archive) {
    // "-spd": the archive's name is a name, not a wildcard. An empty password: never ask.
    return {"x", "-so", "-bd", "-spd", "-p", "--", archive.string()};
}

std::vector<std::string> bsdtarRewriteArguments(const std::filesystem::path& archive,
                                                bool namingEntries) {
    std::vector<std::string> arguments{"-c", "-f", "-", "--format=pax", "@" + archive.string()};
    if (namingEntries) arguments.insert(arguments.begin() + 1, "-v");
    return arguments;
}

std::vector<std::string> sevenZipStreamListArguments() {
    return {"l", "-slt", "-si", "-ttar", "-sccUTF-8", "-bd"};
}

std::vector<std::string> bsdtarExtractArguments(const std::filesystem::path& archive,
                                                const std::filesystem::path& destination,
                                                ExtractOverwriteMode mode,
                                                const std::optional<std::filesystem::path>& excludeFile,
                                                const std::optional<std::filesystem::path>& includeFile) {
    // "--null" first: bsdtar reads an exclusion file as soon as it meets "-X".
    std::vector<std::string> arguments{"--null", "-x", "-v", "-f", safePath(archive),
                                       "-C", destination.string(), "--no-same-owner",
                                       "--no-same-permissions", "--no-xattrs", "--no-acls",
                                       "--no-fflags"};
    if (mode == ExtractOverwriteMode::skipExisting) arguments.emplace_back("-k");
    if (excludeFile) {
        arguments.emplace_back("-X");
        arguments.push_back(excludeFile->string());
    }
    if (includeFile) {
        arguments.emplace_back("-T");
        arguments.push_back(includeFile->string());
    }
    return arguments;
}

std::vector<std::string> sevenZipStreamExtractArguments(
    const std::filesystem::path& destination, ExtractOverwriteMode mode,
    const std::optional<std::filesystem::path>& listFile) {
    std::string overwrite = "-aou";
    if (mode == ExtractOverwriteMode::overwrite) overwrite = "-aoa";
    if (mode == ExtractOverwriteMode::skipExisting) overwrite = "-aos";
    std::vector<std::string> arguments{"x",     "-si", "-ttar", "-bsp0", "-bso0", "-sccUTF-8",
                                       "-spd",  "-o" + destination.string(), overwrite};
    if (listFile) arguments.push_back("@" + listFile->string());
    return arguments;
}

std::vector<std::string> bsdtarTestArguments(const std::filesystem::path& archive) {
    return {"-t", "-v", "-f", safePath(archive)};
}

}  // namespace kelvane::TarStreamRoute
