#include "platform/AppFolders.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <string>
#include <system_error>

namespace kelvane::AppFolders {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    fs::path path(value);
    // The base-directory convention ignores relative values.
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

}  // namespace

std::optional<fs::path> executableFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error || executable.empty()) return std::nullopt;
    return executable.parent_path();
}

std::optional<fs::path> resourcesFolder() {
    const auto folder = executableFolder();
    if (!folder) return std::nullopt;
    fs::path resources = (*folder / ".." / "share" / "kelvane").lexically_normal();
    std::error_code error;
    if (!fs::is_directory(resources, error)) return std::nullopt;
    return resources;
}

fs::path homeFolder() {
    if (auto home = absoluteFromEnvironment("HOME")) return *home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return fs::path("/");
}

fs::path configHome() {
    if (auto folder = absoluteFromEnvironment("XDG_CONFIG_HOME")) return *folder;
    return homeFolder() / ".config";
}

fs::path dataHome() {
    if (auto folder = absoluteFromEnvironment("XDG_DATA_HOME")) return *folder;
    return homeFolder() / ".local" / "share";
}

fs::path createPrivateFolder(const fs::path& parent, std::string_view prefix) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::mt19937_64 generator(device());
    std::uniform_int_distribution<size_t> pick(0, sizeof(kAlphabet) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(prefix);
        for (int i = 0; i < 12; ++i) name += kAlphabet[pick(generator)];
        const fs::path candidate = parent / name;
        if (::mkdir(candidate.c_str(), 0700) == 0) return candidate;
        if (errno != EEXIST) {
            throw fs::filesystem_error("cannot create folder", candidate,
                                       std::error_code(errno, std::generic_category()));
        }
    }
    throw fs::filesystem_error("cannot create a unique folder", parent,
                               std::make_error_code(std::errc::file_exists));
}

namespace {

// Creates `folder` with mode 0700, and the missing folders above it the same way; folders
// that already exist above it are left as they are.
void makeFolderChain(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
    if (errno == ENOENT && folder.has_parent_path() && folder.parent_path() != folder) {
        makeFolderChain(folder.parent_path());
        if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
    }
    throw fs::filesystem_error("cannot create folder", folder,
                               std::error_code(errno, std::generic_category()));
}

}  // namespace

void ensurePrivateFolder(const fs::path& folder) {
    makeFolderChain(folder);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        throw fs::filesystem_error("cannot inspect folder", folder,
                                   std::error_code(errno, std::generic_category()));
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        throw fs::filesystem_error("not a private folder of this user", folder,
                                   std::make_error_code(std::errc::permission_denied));
    }
    if ((info.st_mode & 0077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        throw fs::filesystem_error("cannot make the folder private", folder,
                                   std::error_code(errno, std::generic_category()));
    }
}

}  // namespace kelvane::AppFolders
