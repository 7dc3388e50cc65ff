#include "engine/SevenZipListFile.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/Uuid.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void throwFileError(const char* what, const fs::path& path, int error) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

void writeWhole(int fd, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throwFileError("cannot write list file", path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Written next to its final name and renamed into place, so the tool never reads half a list.
void writeAtomically(const fs::path& path, std::string_view bytes) {
    fs::path partial = path;
    partial += ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throwFileError("cannot create list file", partial, errno);
    try {
        writeWhole(fd, bytes, partial);
    } catch (...) {
        ::close(fd);
        ::unlink(partial.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        throwFileError("cannot write list file", partial, error);
    }
    if (::rename(partial.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        throwFileError("cannot create list file", path, error);
    }
}

}  // namespace

SevenZipListFile::SevenZipListFile(std::string_view prefix, const std::vector<std::string>& names)
    : path_(fs::temp_directory_path() / (std::string(prefix) + Uuid::randomText() + ".txt")) {
    writeAtomically(path_, contents(names));
}

SevenZipListFile::~SevenZipListFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
}

std::string SevenZipListFile::contents(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) text += '\n';
        text += '"';
        text += name;
        text += '"';
    }
    return text;
}

}  // namespace kelvane
