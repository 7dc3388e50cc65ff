// A private folder under the system temporary folder, removed with its contents.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvane::testing {

class TemporaryFolder final {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

    // Writes `contents` to `relative` below the folder, creating parent folders.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view contents,
                                bool executable = false) const;

private:
    std::filesystem::path path_;
};

// Reads a whole file as bytes; fails the calling test when it cannot.
[[nodiscard]] std::string readFile(const std::filesystem::path& path);

}  // namespace kelvane::testing
