// What Kelvane relies on of the tar tool that writes compressed tar archives in one pass
// (`bsdtar`, else `tar`): its switches, environment and the argument list built from them.
// Pure functions, no I/O.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/ArchiveCreateFormat.hpp"
#include "model/CompressionLevel.hpp"

namespace kelvane::TarToolContract {

inline constexpr std::string_view kToolName = "bsdtar";
inline constexpr std::string_view kAlternativeToolName = "tar";

inline constexpr std::string_view kCreateXzSwitch = "-cJf";
inline constexpr std::string_view kCreateGzipSwitch = "-czf";
inline constexpr std::string_view kDirectorySwitch = "-C";
inline constexpr std::string_view kFormatOptionsSwitch = "--options";

inline constexpr std::array<std::string_view, 3> kMacJunkPatterns{".DS_Store", "__MACOSX", "._*"};

// The level handed to gzip or xz: 1 for `store` (neither stores uncompressed), else the
// level's own number.
[[nodiscard]] int levelNumber(CompressionLevel level);

// True when the tool is libarchive's tar, which takes its compression level only through
// "--options" and ignores the compressors' environment variables.
[[nodiscard]] bool isLibarchiveTar(const std::filesystem::path& tool);

// "--exclude=" followed by the pattern.
[[nodiscard]] std::string exclusionSwitch(std::string_view pattern);

// The text as a tar exclusion pattern that matches only itself ("\", "*", "?", "[" and "]"
// escaped by a backslash).
[[nodiscard]] std::string literalPattern(std::string_view text);

// "gzip:compression-level=N" for TAR.GZ, "xz:compression-level=N" for TAR.XZ.
[[nodiscard]] std::string compressionLevelOption(ArchiveCreateFormat format,
                                                 CompressionLevel level);

// "-cJf" (TAR.XZ) or "-czf" (TAR.GZ), the archive, then, when `levelAsOption`, "--options"
// with the level option; the junk exclusions when `excludeMacJunk`; an exclusion matching
// exactly each of `excludedStoredPaths`; then "-C", the parent folder and the last path
// component of every source, so each is stored under its own name. A name that the tool
// would take for a switch or an archive to copy from ("-…", "@…") is given as "./name".
[[nodiscard]] std::vector<std::string> createArguments(
    const std::filesystem::path& archive, const std::vector<std::filesystem::path>& sources,
    ArchiveCreateFormat format, CompressionLevel level, bool excludeMacJunk, bool levelAsOption,
    const std::vector<std::string>& excludedStoredPaths = {});

// "COPYFILE_DISABLE" = "1", and "GZIP" (TAR.GZ) or "XZ_OPT" (TAR.XZ) = "-" + the level number.
[[nodiscard]] std::map<std::string, std::string> createEnvironment(ArchiveCreateFormat format,
                                                                   CompressionLevel level);

// The name under which a source is stored: its last path component, trailing separators
// ignored.
[[nodiscard]] std::string storedName(const std::filesystem::path& source);

}  // namespace kelvane::TarToolContract
