#include "process/BinaryLocator.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppFolders.hpp"

namespace kelvane {

namespace fs = std::filesystem;

BinaryLocator::SearchFolders BinaryLocator::SearchFolders::standard() {
    SearchFolders result;
    if (const auto resources = AppFolders::resourcesFolder()) {
        result.folders.push_back(*resources / "bin");
    }
    if (const auto executableFolder = AppFolders::executableFolder()) {
        result.folders.push_back(*executableFolder);
    }
    for (const char* folder : {"/opt/homebrew/bin", "/usr/local/bin", "/usr/bin"}) {
        result.folders.emplace_back(folder);
    }
    return result;
}

bool BinaryLocator::isExecutableFile(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    return ::access(path.c_str(), X_OK) == 0;
}

std::optional<fs::path> BinaryLocator::locate(std::string_view name) {
    return locate(name, SearchFolders::standard());
}

std::optional<fs::path> BinaryLocator::locate(std::string_view name,
                                              const SearchFolders& searchFolders) {
    // A name is a single path component; anything else would let a caller escape the folders.
    if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") {
        return std::nullopt;
    }
    for (const fs::path& folder : searchFolders.folders) {
        fs::path candidate = folder / name;
        if (isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<fs::path> BinaryLocator::sevenZipURL() {
    return sevenZipURL(SearchFolders::standard());
}

std::optional<fs::path> BinaryLocator::sevenZipURL(const SearchFolders& searchFolders) {
    if (auto found = locate("7zz", searchFolders)) return found;
    return locate("7z", searchFolders);
}

std::optional<fs::path> BinaryLocator::lsarURL() {
    return lsarURL(SearchFolders::standard());
}

std::optional<fs::path> BinaryLocator::lsarURL(const SearchFolders& searchFolders) {
    return locate("lsar", searchFolders);
}

std::optional<fs::path> BinaryLocator::unarURL() {
    return unarURL(SearchFolders::standard());
}

std::optional<fs::path> BinaryLocator::unarURL(const SearchFolders& searchFolders) {
    return locate("unar", searchFolders);
}

std::optional<fs::path> BinaryLocator::bsdtarURL() {
    return bsdtarURL(SearchFolders::standard());
}

std::optional<fs::path> BinaryLocator::bsdtarURL(const SearchFolders& searchFolders) {
    if (auto found = locate("bsdtar", searchFolders)) return found;
    return locate("tar", searchFolders);
}

}  // namespace kelvane
