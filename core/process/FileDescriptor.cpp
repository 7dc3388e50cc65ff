#include "process/FileDescriptor.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kelvane {
namespace {

// Moves a descriptor that landed on a standard stream number (the program's own
// stdin, stdout or stderr was closed) to a number of 3 or above.
FileDescriptor aboveStandardStreams(FileDescriptor fd) {
    if (fd.get() >= 3) return fd;
    const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create a pipe");
    }
    return FileDescriptor(moved);
}

}  // namespace

void FileDescriptor::reset() {
    if (fd_ >= 0) {
        // close() must not be retried on EINTR on Linux: the descriptor is gone either way.
        ::close(fd_);
        fd_ = -1;
    }
}

std::pair<FileDescriptor, FileDescriptor> FileDescriptor::createPipe() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create a pipe");
    }
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    return {aboveStandardStreams(std::move(readEnd)), aboveStandardStreams(std::move(writeEnd))};
}

}  // namespace kelvane
