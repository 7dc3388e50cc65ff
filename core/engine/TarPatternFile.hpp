// A file of bsdtar name patterns ("-T", "-X" with "--null"): every name escaped so that it
// matches only itself, each followed by a NUL byte, so names holding line feeds or
// wildcard characters stay exact. Written into the temporary folder, readable by this user
// only, and removed again when the object goes away.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

class TarPatternFile final {
public:
    // Throws std::filesystem::filesystem_error when it cannot be written; nothing is left.
    TarPatternFile(std::string_view prefix, const std::vector<std::string_view>& names);
    ~TarPatternFile();
    TarPatternFile(const TarPatternFile&) = delete;
    TarPatternFile& operator=(const TarPatternFile&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace kelvane
