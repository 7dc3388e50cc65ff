// One file or folder inside an archive. Entries are immutable and cheap to
// copy: a copy shares one stored record (a reference count, no allocation),
// and every text derived from the path is a view into that record's text.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/ArchiveFileCategory.hpp"

namespace kelvane {

// Modification times, to the microsecond, on the system clock.
using ArchiveTimestamp = std::chrono::sys_time<std::chrono::microseconds>;

class ArchiveEntry final {
public:
    // The one way to make an entry; every derived field is computed here, so
    // entries from either lister and synthesized folders agree.
    ArchiveEntry(std::string_view rawPath, bool isDirectory, std::int64_t uncompressedSize,
                 std::int64_t compressedSize, std::optional<ArchiveTimestamp> modifiedDate,
                 bool isEncrypted, std::optional<std::string_view> crc32,
                 std::optional<std::string_view> method, std::optional<std::int64_t> xadIndex);

    ArchiveEntry(const ArchiveEntry& other) noexcept;
    ArchiveEntry(ArchiveEntry&& other) noexcept : record_(other.record_) { other.record_ = nullptr; }
    ArchiveEntry& operator=(const ArchiveEntry& other) noexcept;
    ArchiveEntry& operator=(ArchiveEntry&& other) noexcept;
    // A moved-from entry may only be assigned to or destroyed.
    ~ArchiveEntry();

    // Backslashes become "/", then leading "./" and "/" and trailing "/" are
    // removed; nothing else changes ("a/../b" and "a//b" stay as they are).
    [[nodiscard]] static std::string normalizePath(std::string_view path);

    [[nodiscard]] std::string_view id() const { return record_->text(record_->id); }
    [[nodiscard]] std::string_view rawPath() const {
        return record_->text({0, record_->rawLength});
    }
    [[nodiscard]] std::string_view name() const { return id().substr(record_->nameStart); }
    [[nodiscard]] std::string_view lowercasedName() const {
        return record_->text(record_->lowercasedName);
    }
    [[nodiscard]] std::string_view lowercasedPath() const {
        return record_->text(record_->lowercasedPath);
    }
    [[nodiscard]] std::string_view parentPath() const {
        return record_->nameStart == 0 ? std::string_view()
                                       : id().substr(0, record_->nameStart - 1);
    }
    [[nodiscard]] bool isDirectory() const { return (record_->flags & kDirectory) != 0; }
    [[nodiscard]] std::int64_t uncompressedSize() const { return record_->uncompressedSize; }
    [[nodiscard]] std::int64_t compressedSize() const { return record_->compressedSize; }
    [[nodiscard]] std::optional<ArchiveTimestamp> modifiedDate() const {
        if ((record_->flags & kHasDate) == 0) return std::nullopt;
        return ArchiveTimestamp(std::chrono::microseconds(record_->modifiedMicroseconds));
    }
    [[nodiscard]] bool isEncrypted() const { return (record_->flags & kEncrypted) != 0; }
    [[nodiscard]] std::optional<std::string_view> crc32() const {
        if ((record_->flags & kHasCrc) == 0) return std::nullopt;
        return record_->text(record_->crc32);
    }
    [[nodiscard]] std::optional<std::string_view> method() const {
        if (record_->pooledMethod != nullptr) return std::string_view(*record_->pooledMethod);
        if ((record_->flags & kHasMethod) == 0) return std::nullopt;
        return record_->text(record_->inlineMethod);
    }
    [[nodiscard]] std::optional<std::int64_t> xadIndex() const {
        if ((record_->flags & kHasXadIndex) == 0) return std::nullopt;
        return record_->xadIndex;
    }
    [[nodiscard]] std::string_view fileExtension() const {
        return record_->text(record_->fileExtension);
    }
    [[nodiscard]] ArchiveFileCategory category() const {
        return ArchiveFileCategory(static_cast<ArchiveFileCategoryCase>(record_->category));
    }

    // Percentage of the size saved by compression; 0 for folders and for
    // entries that grew.
    [[nodiscard]] double savedPercent() const;
    // Symbolic icon name ("folder.fill", "photo.fill", …).
    [[nodiscard]] std::string_view sfSymbolName() const;

    // Bytes this entry's shared record occupies (for memory accounting).
    [[nodiscard]] std::size_t storedBytes() const;

    // Entries are the same when id, kind and size agree; dates and the rest
    // do not take part.
    friend bool operator==(const ArchiveEntry& a, const ArchiveEntry& b) {
        return a.isDirectory() == b.isDirectory() &&
               a.uncompressedSize() == b.uncompressedSize() && a.id() == b.id();
    }
    // Whether both handles share one stored record (the same entry of the same listing).
    [[nodiscard]] bool sharesRecordWith(const ArchiveEntry& other) const noexcept {
        return record_ == other.record_;
    }
    // Where the directory index last built over this record keeps it, so a handle finds its
    // place without a look-up by text; a hint only, checked by the index against its own
    // entries (the same record may sit in more than one index).
    [[nodiscard]] std::uint32_t indexPositionHint() const noexcept {
        return record_->indexPositionHint.load(std::memory_order_relaxed);
    }
    void setIndexPositionHint(std::uint32_t position) const noexcept {
        record_->indexPositionHint.store(position, std::memory_order_relaxed);
    }

    // Hash of the id alone, so equal entries hash alike.
    [[nodiscard]] std::size_t hash() const noexcept {
        return std::hash<std::string_view>{}(id());
    }

private:
    // A span of the record's trailing text.
    struct TextSpan {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    enum Flag : std::uint8_t {
        kDirectory = 1,
        kEncrypted = 2,
        kHasDate = 4,
        kHasCrc = 8,
        kHasMethod = 16,
        kHasXadIndex = 32,
    };

    // One allocation: this header followed by its texts. Derived texts point
    // into the raw path where they can (the id usually is a slice of it, the
    // lower-cased path usually the id itself), so most paths are stored once.
    struct Record {
        std::atomic<std::uint32_t> references{1};
        std::uint32_t rawLength = 0;
        std::atomic<std::uint32_t> indexPositionHint{0xFFFFFFFFU};
        TextSpan id;
        TextSpan lowercasedPath;
        TextSpan lowercasedName;
        TextSpan fileExtension;
        TextSpan crc32;
        TextSpan inlineMethod;
        std::uint32_t nameStart = 0;  // offset of the name within the id
        std::uint8_t flags = 0;
        std::uint8_t category = 0;
        std::int64_t uncompressedSize = 0;
        std::int64_t compressedSize = 0;
        std::int64_t modifiedMicroseconds = 0;
        std::int64_t xadIndex = 0;
        const std::string* pooledMethod = nullptr;

        [[nodiscard]] const char* characters() const {
            return reinterpret_cast<const char*>(this + 1);
        }
        [[nodiscard]] std::string_view text(TextSpan span) const {
            return {characters() + span.offset, span.length};
        }
    };

    static ArchiveFileCategory classify(bool isDirectory, std::string_view extension);
    static void release(Record* record) noexcept;

    Record* record_;
};

}  // namespace kelvane

template <>
struct std::hash<kelvane::ArchiveEntry> {
    std::size_t operator()(const kelvane::ArchiveEntry& entry) const noexcept {
        return entry.hash();
    }
};
