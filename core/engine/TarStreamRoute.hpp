// Which archives are read as a tar stream, and the tool runs that produce and read that
// stream. A compressed tar is unpacked by 7-Zip into its tar stream; packages (.deb, .rpm),
// cpio archives and anything 7-Zip cannot unpack are re-written as a PAX tar stream by
// bsdtar, which reads them all. Either stream is listed by 7-Zip's technical listing read
// from standard input, which keeps PAX names, hard and symbolic links and fractions of
// seconds. Pure functions, no I/O.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/ExtractOverwriteMode.hpp"

namespace kelvane::TarStreamRoute {

enum class Kind {
    // Not read as a tar stream (a plain .tar is listed by 7-Zip directly, which reads it
    // exactly).
    none,
    // Named as a compressed tar (".tar.gz", ".tgz", ".tar.zst", …): anything but its tar
    // content is damage.
    compressedTar,
    // ".deb", ".rpm" or ".cpio": bsdtar reads the container.
    package,
    // ".gz", ".bz2", ".xz" or ".zst" alone: a tar or cpio inside is listed as such; any
    // other content stays the one compressed file it is.
    compressedSingle,
};

// By the lower-cased file name.
[[nodiscard]] Kind kindOf(const std::filesystem::path& archive);

// "TAR.GZ", "TAR.BZ2", "TAR.XZ", "TAR.ZST", "DEB", "RPM" or "CPIO" by the name; for a
// single compressed file whose content is a tar, "TAR." and its compression; otherwise the
// upper-cased extension.
[[nodiscard]] std::string formatName(const std::filesystem::path& archive, bool contentIsTar);

// 7-Zip writing the tar stream inside a compressed file to standard output.
[[nodiscard]] std::vector<std::string> sevenZipUnpackArguments(const std::filesystem::path& archive);
// bsdtar re-writing any archive it reads as a PAX tar stream on standard output; with
// `namingEntries`, each entry is named on standard error ("a name") as it is written.
[[nodiscard]] std::vector<std::string> bsdtarRewriteArguments(const std::filesystem::path& archive,
                                                              bool namingEntries = false);
// 7-Zip's technical listing of a tar stream read from standard input.
[[nodiscard]] std::vector<std::string> sevenZipStreamListArguments();

// bsdtar extracting `archive` into `destination`: no owner, permission bits beyond the
// user's, extended attributes, ACLs or file flags restored; existing files kept for
// `skipExisting`; every entry named on standard error ("-v") for progress. `excludeFile`
// and `includeFile` hold NUL-separated literal patterns (see literalPattern).
[[nodiscard]] std::vector<std::string> bsdtarExtractArguments(
    const std::filesystem::path& archive, const std::filesystem::path& destination,
    ExtractOverwriteMode mode, const std::optional<std::filesystem::path>& excludeFile,
    const std::optional<std::filesystem::path>& includeFile);

// 7-Zip extracting a tar stream from standard input into `destination`, renaming what
// would overwrite ("-aou"); names in `listFile` are taken literally ("-spd").
[[nodiscard]] std::vector<std::string> sevenZipStreamExtractArguments(
    const std::filesystem::path& destination, ExtractOverwriteMode mode,
    const std::optional<std::filesystem::path>& listFile);

// bsdtar listing every entry verbosely (the mode first), reading the whole archive: its test.
[[nodiscard]] std::vector<std::string> bsdtarTestArguments(const std::filesystem::path& archive);

}  // namespace kelvane::TarStreamRoute
