#include "engine/ChecksumService.hpp"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <semaphore>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunkBytes = 1U << 20U;
// Below this size the second thread costs more than it saves.
constexpr std::int64_t kParallelFromBytes = 4 * static_cast<std::int64_t>(kChunkBytes);
constexpr std::size_t kSlotCount = 3;

[[noreturn]] void throwFileError(const char* what, const fs::path& path, int error) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

class FileHandle final {
public:
    explicit FileHandle(const fs::path& path) : path_(path) {
        do {
            fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        } while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0) throwFileError("cannot open file", path, errno);
    }
    // A failure to close a file that was only read changes nothing already read.
    ~FileHandle() { ::close(fd_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    [[nodiscard]] std::int64_t size() const {
        struct stat status {};
        if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) return 0;
        return static_cast<std::int64_t>(status.st_size);
    }

    // Fills as much of `buffer` as the file still holds; 0 at its end.
    [[nodiscard]] std::size_t read(unsigned char* buffer, std::size_t capacity) const {
        std::size_t filled = 0;
        while (filled < capacity) {
            const ssize_t got = ::read(fd_, buffer + filled, capacity - filled);
            if (got == 0) break;
            if (got < 0) {
                if (errno == EINTR) continue;
                throwFileError("cannot read file", path_, errno);
            }
            filled += static_cast<std::size_t>(got);
        }
        return filled;
    }

private:
    fs::path path_;
    int fd_ = -1;
};

class Digest final {
public:
    explicit Digest(const EVP_MD* algorithm) : context_(EVP_MD_CTX_new()) {
        if (!context_ || EVP_DigestInit_ex(context_.get(), algorithm, nullptr) != 1) {
            throw std::runtime_error("cannot start a digest");
        }
    }

    void update(const unsigned char* data, std::size_t size) {
        if (EVP_DigestUpdate(context_.get(), data, size) != 1) failed_ = true;
    }

    [[nodiscard]] std::string hexText() {
        std::array<unsigned char, EVP_MAX_MD_SIZE> bytes{};
        unsigned int length = 0;
        if (failed_ || EVP_DigestFinal_ex(context_.get(), bytes.data(), &length) != 1) {
            throw std::runtime_error("digest failed");
        }
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string text;
        text.reserve(2 * length);
        for (unsigned int i = 0; i < length; ++i) {
            text.push_back(kDigits[bytes[i] >> 4U]);
            text.push_back(kDigits[bytes[i] & 0x0FU]);
        }
        return text;
    }

private:
    struct Free {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> context_;
    bool failed_ = false;
};

// Tells the callback how much of the file has been read, when its size is known.
class ReadProgress final {
public:
    ReadProgress(const ProgressHandler& callback, std::int64_t size)
        : callback_(callback), size_(size) {}
    void add(std::size_t bytes) {
        total_ += static_cast<std::int64_t>(bytes);
        if (callback_ && size_ > 0) {
            notifyProgress(callback_,
                           std::min(1.0, static_cast<double>(total_) / static_cast<double>(size_)));
        }
    }
    [[nodiscard]] std::int64_t total() const { return total_; }

private:
    const ProgressHandler& callback_;
    std::int64_t size_;
    std::int64_t total_ = 0;
};

std::int64_t digestInline(const FileHandle& file, Digest& sha256, Digest& md5,
                          ReadProgress& progress) {
    std::vector<unsigned char> buffer(kChunkBytes);
    while (const std::size_t got = file.read(buffer.data(), buffer.size())) {
        sha256.update(buffer.data(), got);
        md5.update(buffer.data(), got);
        progress.add(got);
    }
    return progress.total();
}

// The calling thread reads and feeds MD5; a helper thread feeds SHA-256 from the same
// chunks, in order. A chunk buffer is refilled only once the helper has released it.
std::int64_t digestInParallel(const FileHandle& file, Digest& sha256, Digest& md5,
                              ReadProgress& progress) {
    struct Slot {
        std::vector<unsigned char> bytes = std::vector<unsigned char>(kChunkBytes);
        std::size_t size = 0;  // 0 ends the helper
    };
    std::array<Slot, kSlotCount> slots;
    std::counting_semaphore<kSlotCount> freeSlots(static_cast<std::ptrdiff_t>(kSlotCount));
    std::counting_semaphore<kSlotCount> filledSlots(0);

    std::thread helper([&] {
        for (std::size_t next = 0;; next = (next + 1) % kSlotCount) {
            filledSlots.acquire();
            const Slot& slot = slots[next];
            if (slot.size == 0) return;
            sha256.update(slot.bytes.data(), slot.size);
            freeSlots.release();
        }
    });

    // However this function is left (a read error, a progress callback that throws), the
    // helper is told to stop and joined: a joinable thread left to its destructor ends the
    // program.
    std::size_t nextSlot = 0;
    bool holdingFreeSlot = false;
    struct HelperStop {
        std::function<void()> stop;
        ~HelperStop() { stop(); }
    } const stopOnExit{[&] {
        if (!helper.joinable()) return;
        if (!holdingFreeSlot) freeSlots.acquire();
        slots[nextSlot].size = 0;
        filledSlots.release();
        helper.join();
    }};

    for (;;) {
        freeSlots.acquire();
        holdingFreeSlot = true;
        Slot& slot = slots[nextSlot];
        slot.size = file.read(slot.bytes.data(), slot.bytes.size());
        if (slot.size == 0) return progress.total();
        filledSlots.release();
        holdingFreeSlot = false;
        // From here on the helper owns this slot; a stop goes into the one after it.
        nextSlot = (nextSlot + 1) % kSlotCount;
        md5.update(slot.bytes.data(), slot.size);
        progress.add(slot.size);
    }
}

}  // namespace

FileChecksumReport ChecksumService::compute(const fs::path& file,
                                            const ProgressHandler& onProgress) {
    const FileHandle handle(file);
    Digest sha256(EVP_sha256());
    Digest md5(EVP_md5());
    const std::int64_t size = handle.size();
    ReadProgress progress(onProgress, size);
    const std::int64_t total = size >= kParallelFromBytes
                                   ? digestInParallel(handle, sha256, md5, progress)
                                   : digestInline(handle, sha256, md5, progress);
    return FileChecksumReport{sha256.hexText(), md5.hexText(), total};
}

}  // namespace kelvane
