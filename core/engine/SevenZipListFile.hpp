// A list file handed to 7-Zip with "@" (or "-xr@"): one name per line, in UTF-8, written
// atomically into the temporary folder, and removed again when the object goes away.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

class SevenZipListFile final {
public:
    // Writes `<temporary folder>/<prefix><UUID>.txt`. Throws
    // std::filesystem::filesystem_error when it cannot be written; nothing is left behind.
    SevenZipListFile(std::string_view prefix, const std::vector<std::string>& names);
    ~SevenZipListFile();
    SevenZipListFile(const SevenZipListFile&) = delete;
    SevenZipListFile& operator=(const SevenZipListFile&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

    // The file's text: every name in double quotes, joined by line feeds, without a final
    // one. 7-Zip trims blanks around an unquoted line, so " a.txt" would miss its entry;
    // it strips one pair of enclosing quotes and takes the rest as it is.
    [[nodiscard]] static std::string contents(const std::vector<std::string>& names);

private:
    std::filesystem::path path_;
};

}  // namespace kelvane
