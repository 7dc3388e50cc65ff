// Owning wrapper of a POSIX file descriptor: closed exactly once, movable, never copied.
#pragma once

#include <utility>

namespace kelvane {

class FileDescriptor final {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }

    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }

    // Closes the descriptor now; harmless when it is already closed.
    void reset();

    // A new pipe as (read end, write end), both close-on-exec and numbered 3 or above, so
    // wiring them to a child's standard streams can never clobber one another.
    // Throws std::system_error when the pipe cannot be created.
    [[nodiscard]] static std::pair<FileDescriptor, FileDescriptor> createPipe();

private:
    int fd_ = -1;
};

}  // namespace kelvane
