// What Kelvane relies on of the unarchiver pair: `lsar` lists and tests, `unar` extracts.
// Their switches and the argument lists built from them; pure functions, no I/O.
//
// The build shipped with the distribution rejects the JSON-escaping switch of `lsar` and
// the quarantine switch of `unar` as unknown options, so neither is ever passed here.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ExtractOverwriteMode.hpp"

namespace kelvane::UnarchiverToolContract {

inline constexpr std::string_view kListerName = "lsar";
inline constexpr std::string_view kExtractorName = "unar";

// `lsar`: the listing as one JSON document; the integrity test.
inline constexpr std::string_view kJsonSwitch = "-j";
inline constexpr std::string_view kTestSwitch = "-t";
// `unar`: no enclosing folder of its own; the destination folder; selectors are indexes.
inline constexpr std::string_view kNoEnclosingFolderSwitch = "-D";
inline constexpr std::string_view kOutputFolderSwitch = "-o";
inline constexpr std::string_view kIndexSelectorsSwitch = "-i";
inline constexpr std::string_view kPasswordSwitch = "-p";

// Selectors travel as arguments, so one `unar` run takes at most this many.
inline constexpr std::size_t kMaxSelectorsPerRun = 350;

// The path as one argument; a relative path that starts with "-" gets a leading "./", so
// the tool cannot take it for a switch.
[[nodiscard]] std::string pathArgument(const std::filesystem::path& path);

// "-p" and the password as two arguments when a password is given and not empty; else nothing.
[[nodiscard]] std::vector<std::string> passwordArguments(
    const std::optional<std::string>& password);

// "-f", "-s" or "-r".
[[nodiscard]] std::string_view overwriteSwitch(ExtractOverwriteMode mode);

// `lsar`: "-j", the password arguments, the archive.
[[nodiscard]] std::vector<std::string> listArguments(const std::filesystem::path& archive,
                                                     const std::optional<std::string>& password);

// `lsar`: "-t", the password arguments, the archive.
[[nodiscard]] std::vector<std::string> testArguments(const std::filesystem::path& archive,
                                                     const std::optional<std::string>& password);

// `unar`: "-D", "-o", the destination, the overwrite switch, the password arguments. The
// caller adds "-i" for index selectors, then the archive, then the selectors.
[[nodiscard]] std::vector<std::string> extractionBaseArguments(
    const std::filesystem::path& destination, ExtractOverwriteMode mode,
    const std::optional<std::string>& password);

// `unar`: the base arguments, "-i" when `selectorsAreIndexes`, the archive, the selectors
// (at most kMaxSelectorsPerRun; none extracts everything).
[[nodiscard]] std::vector<std::string> extractArguments(
    const std::filesystem::path& archive, const std::filesystem::path& destination,
    ExtractOverwriteMode mode, const std::optional<std::string>& password,
    bool selectorsAreIndexes, const std::vector<std::string>& selectors);

}  // namespace kelvane::UnarchiverToolContract
