#include "engine/TarPatternFile.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/Uuid.hpp"
#include "process/TarToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const fs::path& path, int error) {
    std::error_code ignored;
    fs::remove(path, ignored);
    throw fs::filesystem_error("cannot write the name list", path,
                               std::error_code(error, std::generic_category()));
}

}  // namespace

TarPatternFile::TarPatternFile(std::string_view prefix, const std::vector<std::string_view>& names)
    : path_(fs::temp_directory_path() / (std::string(prefix) + Uuid::randomText() + ".lst")) {
    std::string content;
    for (const std::string_view name : names) {
        content += TarToolContract::literalPattern(name);
        content.push_back('\0');
    }
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        throw fs::filesystem_error("cannot write the name list", path_,
                                   std::error_code(error, std::generic_category()));
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t count = ::write(fd, content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            const int error = count < 0 ? errno : EIO;
            ::close(fd);
            fail(path_, error);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::close(fd) != 0) fail(path_, errno);
}

TarPatternFile::~TarPatternFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
}

}  // namespace kelvane
