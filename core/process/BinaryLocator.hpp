// Finds the executable that stands for a tool name: the program's own resources first,
// then the usual command-line tool folders. Nothing is cached, so a tool installed while
// the program runs is found by the next operation.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace kelvane {

class BinaryLocator final {
public:
    BinaryLocator() = delete;

    // Folders probed in order; the first executable regular file named after the tool wins.
    struct SearchFolders {
        std::vector<std::filesystem::path> folders;

        // The installation's resources "bin" folder and the running executable's folder
        // (each when known), then "/opt/homebrew/bin", "/usr/local/bin", "/usr/bin".
        [[nodiscard]] static SearchFolders standard();
    };

    [[nodiscard]] static std::optional<std::filesystem::path> locate(std::string_view name);
    [[nodiscard]] static std::optional<std::filesystem::path> locate(
        std::string_view name, const SearchFolders& searchFolders);

    // "7zz", else "7z".
    [[nodiscard]] static std::optional<std::filesystem::path> sevenZipURL();
    [[nodiscard]] static std::optional<std::filesystem::path> sevenZipURL(
        const SearchFolders& searchFolders);
    // "lsar" and "unar".
    [[nodiscard]] static std::optional<std::filesystem::path> lsarURL();
    [[nodiscard]] static std::optional<std::filesystem::path> lsarURL(
        const SearchFolders& searchFolders);
    [[nodiscard]] static std::optional<std::filesystem::path> unarURL();
    [[nodiscard]] static std::optional<std::filesystem::path> unarURL(
        const SearchFolders& searchFolders);
    // "bsdtar", else "tar".
    [[nodiscard]] static std::optional<std::filesystem::path> bsdtarURL();
    [[nodiscard]] static std::optional<std::filesystem::path> bsdtarURL(
        const SearchFolders& searchFolders);

    // True for a regular file (after following links) that this process may execute.
    [[nodiscard]] static bool isExecutableFile(const std::filesystem::path& path);
};

}  // namespace kelvane
