// Where Kelvane finds its own files on Linux: the install tree's resources,
// the user's configuration and data folders, and private temporary folders.
#pragma once

#include <filesystem>
#include <optional>

namespace kelvane::AppFolders {

// Folder holding the running executable, when it can be determined.
[[nodiscard]] std::optional<std::filesystem::path> executableFolder();

// `<executable folder>/../share/kelvane`, when that folder exists. Holds `bin/`
// (tools shipped with the program) and `Localizations/` (bundled packs).
[[nodiscard]] std::optional<std::filesystem::path> resourcesFolder();

// `$XDG_CONFIG_HOME`, else `~/.config`.
[[nodiscard]] std::filesystem::path configHome();

// `$XDG_DATA_HOME`, else `~/.local/share`.
[[nodiscard]] std::filesystem::path dataHome();

// The user's home folder: `$HOME`, else the password database.
[[nodiscard]] std::filesystem::path homeFolder();

// The maker's folder below the user's data and configuration homes.
inline constexpr const char* kMakerFolderName = "Tessaloom";

// Creates `parent/<prefix><random>` with mode 0700 and returns it.
// Throws std::filesystem::filesystem_error when the folder cannot be created.
[[nodiscard]] std::filesystem::path createPrivateFolder(const std::filesystem::path& parent,
                                                        std::string_view prefix);

// Makes sure `folder` is a folder only this user can enter: creates it (and any missing
// folder above it) with mode 0700, and accepts one that exists only when it is a real folder,
// not a link, owned by this user, tightening its mode to 0700. For folders at predictable
// names under the temporary folder, where another user could have planted something.
// Throws std::filesystem::filesystem_error otherwise.
void ensurePrivateFolder(const std::filesystem::path& folder);

}  // namespace kelvane::AppFolders
