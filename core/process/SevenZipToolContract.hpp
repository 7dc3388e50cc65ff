// What Kelvane relies on of the 7-Zip command-line tool: its commands, its switches and
// the argument lists built from them. Pure functions, no I/O.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ArchiveCreateFormat.hpp"
#include "model/CompressionLevel.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "model/ExtractOverwriteMode.hpp"
#include "model/VolumeSplitPreset.hpp"
#include "process/SevenZipCreationNames.hpp"

namespace kelvane::SevenZipToolContract {

inline constexpr std::string_view kToolName = "7zz";
inline constexpr std::string_view kAlternativeToolName = "7z";

inline constexpr std::string_view kListCommand = "l";
inline constexpr std::string_view kExtractCommand = "x";
inline constexpr std::string_view kTestCommand = "t";
inline constexpr std::string_view kAddCommand = "a";
inline constexpr std::string_view kDeleteCommand = "d";

// The technical listing: one "key = value" block per entry.
inline constexpr std::string_view kTechnicalListingSwitch = "-slt";
// Console output in UTF-8, whatever the locale.
inline constexpr std::string_view kUtf8ConsoleSwitch = "-sccUTF-8";
// Percentages on standard output.
inline constexpr std::string_view kProgressSwitch = "-bsp1";
inline constexpr std::string_view kZipAesSwitch = "-mem=AES256";
inline constexpr std::string_view kEncryptHeadersSwitch = "-mhe=on";

// Names of the files other systems leave behind, excluded when creating archives.
inline constexpr std::array<std::string_view, 3> kMacJunkPatterns{".DS_Store", "__MACOSX", "._*"};

// The path as one argument. A relative path that starts with "-" or "@" gets a leading
// "./", so the tool cannot take it for a switch or a list file.
[[nodiscard]] std::string pathArgument(const std::filesystem::path& path);

// "-p" followed directly by the password when one is given and not empty, else "-p"
// alone: an empty password, so the tool never waits for one on its input.
[[nodiscard]] std::string passwordSwitch(const std::optional<std::string>& password);

// "-p" joined with the password, or nothing for an empty password (creation, adding and
// deleting, which must not set an empty password).
[[nodiscard]] std::optional<std::string> passwordSwitchIfNotEmpty(std::string_view password);

// "-o" followed directly by the folder.
[[nodiscard]] std::string outputFolderSwitch(const std::filesystem::path& folder);

// "-aoa", "-aos" or "-aou".
[[nodiscard]] std::string_view overwriteSwitch(ExtractOverwriteMode mode);

// "-tzip", "-t7z" or "-ttar"; none for the compressed tar formats, which 7-Zip does not make.
[[nodiscard]] std::optional<std::string_view> typeSwitch(ArchiveCreateFormat format);

// "-mx=" followed by the level number.
[[nodiscard]] std::string levelSwitch(CompressionLevel level);

// The preset's volume size switch ("-v100m"), none for a single file.
[[nodiscard]] std::optional<std::string_view> volumeSwitch(VolumeSplitPreset preset);

// "-xr!" followed by the name pattern: a recursive exclusion.
[[nodiscard]] std::string exclusionSwitch(std::string_view pattern);

// The exclusions of every name in kMacJunkPatterns.
[[nodiscard]] std::vector<std::string> macJunkExclusions();

// "@" followed directly by the path of a UTF-8 list file, one archive path per line.
[[nodiscard]] std::string listFileArgument(const std::filesystem::path& listFile);

// "l", "-slt", "-sccUTF-8", "-spd", the password switch, the archive. "-spd" keeps an archive
// named "a*.zip" from also listing its neighbour "ab.zip" into the same listing.
[[nodiscard]] std::vector<std::string> listArguments(const std::filesystem::path& archive,
                                                     const std::optional<std::string>& password);

// "t", "-bsp1", "-sccUTF-8", "-spd", the password switch, the archive.
[[nodiscard]] std::vector<std::string> testArguments(const std::filesystem::path& archive,
                                                     const std::optional<std::string>& password);

// Names on the command line and in list files are taken literally: without it 7-Zip reads
// "*" and "?" in them as wildcards, so the entry "a*.txt" would also pick "ab.txt".
inline constexpr std::string_view kExactNamesSwitch = "-spd";

// Symbolic links are stored as links instead of the items they point to.
inline constexpr std::string_view kStoreLinksSwitch = "-snl";

// True when 7-Zip would read the text as a wildcard pattern.
[[nodiscard]] bool holdsWildcard(std::string_view name);

// "-xr@" followed directly by the path of a list file of names to leave out at any depth.
[[nodiscard]] std::string exclusionListSwitch(const std::filesystem::path& listFile);

// "-x!" followed by the path as it will be stored: leaves out that one item.
[[nodiscard]] std::string storedPathExclusionSwitch(std::string_view storedPath);

// "a", the type switch, the level, "-bsp1", "-sccUTF-8", ("-spd"), the junk exclusions when
// asked for, the stored-path exclusions, the password with "-mem=AES256" (ZIP) or "-mhe=on"
// (7z with encrypted names) when the format takes one and it is not empty, the volume switch,
// the archive, the sources.
[[nodiscard]] std::vector<std::string> createArguments(
    const std::filesystem::path& archive, const std::vector<std::filesystem::path>& sources,
    const CreateArchiveOptions& options, const SevenZipCreationNames& names = {});

// "a", "-bsp1", "-sccUTF-8", "-spd", "-xr!.DS_Store", "-xr!__MACOSX", the password when not
// empty, the archive, the sources. No type and no level: the archive keeps its own type.
[[nodiscard]] std::vector<std::string> addArguments(
    const std::filesystem::path& archive, const std::vector<std::filesystem::path>& sources,
    std::string_view password);

// "d", "-bsp1", "-sccUTF-8", "-spd", the password when not empty, the archive, "@" and the
// list file of the entries to delete.
[[nodiscard]] std::vector<std::string> deleteArguments(const std::filesystem::path& archive,
                                                       const std::filesystem::path& listFile,
                                                       std::string_view password);

// "x", "-bsp1", "-sccUTF-8", "-o" with the destination, the overwrite switch, the password
// switch, "-spd", the archive, then "@" with the list file when the run takes a selection.
[[nodiscard]] std::vector<std::string> extractArguments(
    const std::filesystem::path& archive, const std::filesystem::path& destination,
    ExtractOverwriteMode mode, const std::optional<std::string>& password,
    const std::optional<std::filesystem::path>& listFile);

}  // namespace kelvane::SevenZipToolContract
