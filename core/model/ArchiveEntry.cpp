#include "model/ArchiveEntry.hpp"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <unordered_map>

#include "model/MethodNamePool.hpp"
#include "platform/UnicodeText.hpp"

namespace kelvane {
namespace {

struct Bounds {
    std::size_t start;
    std::size_t end;
};

// Where the normalized path sits inside a path that holds no backslash.
Bounds normalizedBounds(std::string_view path) {
    std::size_t start = 0;
    while (path.substr(start).starts_with("./")) start += 2;
    while (start < path.size() && path[start] == '/') ++start;
    std::size_t end = path.size();
    while (end > start && path[end - 1] == '/') --end;
    return {start, end};
}

std::uint32_t narrow(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("archive entry path is too long");
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::string ArchiveEntry::normalizePath(std::string_view path) {
    if (path.find('\\') == std::string_view::npos) {
        const Bounds bounds = normalizedBounds(path);
        return std::string(path.substr(bounds.start, bounds.end - bounds.start));
    }
    std::string slashed(path);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const Bounds bounds = normalizedBounds(slashed);
    return slashed.substr(bounds.start, bounds.end - bounds.start);
}

ArchiveFileCategory ArchiveEntry::classify(bool isDirectory, std::string_view extension) {
    if (isDirectory) return ArchiveFileCategory::folder;
    using Category = ArchiveFileCategory;
    static const auto* const table = [] {
        auto* map = new std::unordered_map<std::string_view, Category>;
        const auto add = [map](Category category, std::initializer_list<std::string_view> list) {
            for (std::string_view listed : list) map->emplace(listed, category);
        };
        add(Category::image, {"jpg", "jpeg", "png", "gif", "webp", "heic", "heif", "avif", "bmp",
                              "tiff", "tif", "svg", "ico", "psd", "raw", "dng"});
        add(Category::media, {"mp4", "mov", "mkv", "avi", "webm", "m4v", "mp3", "wav", "flac",
                              "aac", "m4a", "ogg"});
        add(Category::codeText,
            {"swift", "php", "js",   "ts",   "tsx",  "jsx",  "py",   "rb",         "go",
             "rs",    "c",   "cpp",  "h",    "hpp",  "java", "kt",   "json",       "xml",
             "yml",   "yaml", "toml", "ini", "env",  "sh",   "zsh",  "bash",       "sql",
             "html",  "htm", "css",  "scss", "md",   "txt",  "log",  "csv",        "conf",
             "plist", "gradle", "dockerfile", "gitignore"});
        add(Category::document, {"pdf", "doc", "docx", "xls", "xlsx", "ppt", "pptx", "pages",
                                 "numbers", "key", "rtf", "epub"});
        add(Category::archive, {"rar", "zip", "7z", "tar", "gz", "tgz", "bz2", "xz", "zst",
                                "iso", "dmg", "cab", "jar", "apk", "ipa"});
        return map;
    }();
    if (extension.empty()) return Category::other;
    const auto found = table->find(extension);
    if (found == table->end()) return Category::other;
    return found->second;
}

ArchiveEntry::ArchiveEntry(std::string_view rawPath, bool isDirectory,
                           std::int64_t uncompressedSize, std::int64_t compressedSize,
                           std::optional<ArchiveTimestamp> modifiedDate, bool isEncrypted,
                           std::optional<std::string_view> crc32,
                           std::optional<std::string_view> method,
                           std::optional<std::int64_t> xadIndex) {
    std::string text(rawPath);
    const auto append = [&text](std::string_view value) {
        const TextSpan span{narrow(text.size()), narrow(value.size())};
        text.append(value);
        return span;
    };
    // Reuses the end of an already placed text when `value` is its suffix.
    const auto suffixOrAppend = [&text, &append](TextSpan within, std::string_view value) {
        const std::string_view existing = std::string_view(text).substr(within.offset,
                                                                        within.length);
        if (existing.ends_with(value)) {
            return TextSpan{narrow(within.offset + within.length - value.size()),
                            narrow(value.size())};
        }
        return append(value);
    };

    TextSpan idSpan;
    if (rawPath.find('\\') == std::string_view::npos) {
        const Bounds bounds = normalizedBounds(rawPath);
        idSpan = {narrow(bounds.start), narrow(bounds.end - bounds.start)};
    } else {
        idSpan = append(normalizePath(rawPath));
    }
    // Copies: `text` grows below and may move.
    const std::string id = text.substr(idSpan.offset, idSpan.length);
    const std::size_t slash = id.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view name = std::string_view(id).substr(nameStart);

    const std::string lowerPath = UnicodeText::lowercased(id);
    const TextSpan lowerPathSpan = lowerPath == id ? idSpan : append(lowerPath);
    const TextSpan lowerNameSpan = suffixOrAppend(lowerPathSpan, UnicodeText::lowercased(name));

    TextSpan extensionSpan{lowerNameSpan.offset + lowerNameSpan.length, 0};
    if (!isDirectory) {
        const std::size_t dot = name.rfind('.');
        if (dot != std::string_view::npos && dot != 0 && dot + 1 < name.size()) {
            extensionSpan =
                suffixOrAppend(lowerNameSpan, UnicodeText::lowercased(name.substr(dot + 1)));
        }
    }

    std::uint8_t flags = 0;
    if (isDirectory) flags |= kDirectory;
    if (isEncrypted) flags |= kEncrypted;
    if (modifiedDate) flags |= kHasDate;
    TextSpan crcSpan;
    if (crc32) {
        flags |= kHasCrc;
        crcSpan = append(*crc32);
    }
    const std::string* pooledMethod = nullptr;
    TextSpan methodSpan;
    if (method) {
        flags |= kHasMethod;
        pooledMethod = MethodNamePool::intern(*method);
        if (pooledMethod == nullptr) methodSpan = append(*method);
    }
    if (xadIndex) flags |= kHasXadIndex;

    const std::string extension(std::string_view(text).substr(extensionSpan.offset,
                                                              extensionSpan.length));
    void* memory = ::operator new(sizeof(Record) + text.size());
    auto* record = new (memory) Record;
    std::copy(text.begin(), text.end(), reinterpret_cast<char*>(record + 1));
    record->rawLength = narrow(rawPath.size());
    record->id = idSpan;
    record->lowercasedPath = lowerPathSpan;
    record->lowercasedName = lowerNameSpan;
    record->fileExtension = extensionSpan;
    record->crc32 = crcSpan;
    record->inlineMethod = methodSpan;
    record->nameStart = narrow(nameStart);
    record->flags = flags;
    record->category = static_cast<std::uint8_t>(classify(isDirectory, extension).value());
    record->uncompressedSize = std::max<std::int64_t>(uncompressedSize, 0);
    record->compressedSize = std::max<std::int64_t>(compressedSize, 0);
    record->modifiedMicroseconds = modifiedDate ? modifiedDate->time_since_epoch().count() : 0;
    record->xadIndex = xadIndex.value_or(0);
    record->pooledMethod = pooledMethod;
    record_ = record;
}

ArchiveEntry::ArchiveEntry(const ArchiveEntry& other) noexcept : record_(other.record_) {
    if (record_ != nullptr) record_->references.fetch_add(1, std::memory_order_relaxed);
}

ArchiveEntry& ArchiveEntry::operator=(const ArchiveEntry& other) noexcept {
    if (other.record_ != nullptr) {
        other.record_->references.fetch_add(1, std::memory_order_relaxed);
    }
    release(record_);
    record_ = other.record_;
    return *this;
}

ArchiveEntry& ArchiveEntry::operator=(ArchiveEntry&& other) noexcept {
    if (this != &other) {
        release(record_);
        record_ = other.record_;
        other.record_ = nullptr;
    }
    return *this;
}

ArchiveEntry::~ArchiveEntry() { release(record_); }

void ArchiveEntry::release(Record* record) noexcept {
    if (record == nullptr) return;
    if (record->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        record->~Record();
        ::operator delete(record);
    }
}

double ArchiveEntry::savedPercent() const {
    const std::int64_t size = uncompressedSize();
    const std::int64_t packed = compressedSize();
    if (isDirectory() || size <= 0 || size < packed) return 0.0;
    return (1.0 - static_cast<double>(packed) / static_cast<double>(size)) * 100.0;
}

std::string_view ArchiveEntry::sfSymbolName() const {
    if (isDirectory()) return "folder.fill";
    switch (category().value()) {
        case ArchiveFileCategory::folder: return "folder.fill";
        case ArchiveFileCategory::image: return "photo.fill";
        case ArchiveFileCategory::codeText: return "doc.text.fill";
        case ArchiveFileCategory::document:
            return fileExtension() == "pdf" ? "doc.richtext.fill" : "doc.fill";
        case ArchiveFileCategory::media: return "film.fill";
        case ArchiveFileCategory::archive: return "archivebox.fill";
        case ArchiveFileCategory::other: return "doc";
    }
    return "doc";
}

std::size_t ArchiveEntry::storedBytes() const {
    std::uint32_t end = record_->rawLength;
    for (const TextSpan span : {record_->id, record_->lowercasedPath, record_->lowercasedName,
                                record_->fileExtension, record_->crc32, record_->inlineMethod}) {
        end = std::max(end, span.offset + span.length);
    }
    return sizeof(Record) + end;
}

}  // namespace kelvane
