// Reads the options of the commands that write a new archive (create, convert) into the
// engine's CreateArchiveOptions.
#pragma once

#include <array>
#include <filesystem>
#include <string_view>

#include "CommandLineOption.hpp"
#include "ParsedCommandLine.hpp"
#include "model/CreateArchiveOptions.hpp"

namespace kelvane::cli::CreateOptionsParsing {

inline constexpr CommandLineOption kFormatOption{"format", "F",
                                                 "zip, 7z, tar, tar.gz or tar.xz (required)."};
inline constexpr CommandLineOption kLevelOption{"level", "L",
                                                "store, fast, normal (default), maximum or ultra."};
inline constexpr CommandLineOption kPasswordOption{
    "password", "P", "Encrypt the new archive with AES-256 (zip and 7z)."};
inline constexpr CommandLineOption kEncryptNamesOption{
    "encrypt-names", "", "Hide the file names too (7z with a password)."};
inline constexpr CommandLineOption kSplitOption{
    "split", "SIZE", "Split into volumes of 100m, 700m, 1g or 4g (zip, 7z, tar)."};

// "--format", "--level", "--password", "--encrypt-names", "--split"; "--keep-junk" stays
// with the command (conversion never meets desktop junk of its own). Throws UsageError for
// a missing format or a value that names nothing.
[[nodiscard]] CreateArchiveOptions parse(const ParsedCommandLine& arguments);

// The format's name on the command line ("7z", "tar.gz").
[[nodiscard]] std::string_view formatName(ArchiveCreateFormat format);

// The path as the tools must see it: absolute, so no relative path reaches a tool.
[[nodiscard]] std::filesystem::path absolutePath(std::string_view operand);

}  // namespace kelvane::cli::CreateOptionsParsing
