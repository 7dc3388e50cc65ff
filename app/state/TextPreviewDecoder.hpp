// The text a preview shows of a file: its first bytes, decoded as UTF-8, else as ISO
// Latin-1, with a note when the file holds more.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace kelvane::app {

struct TextPreviewDecoder final {
    // What follows a cut preview.
    static constexpr const char* kTruncationNote = "\n\n… (truncated preview)";

    // Reads at most `limit` + 1 bytes of the file, so a huge log costs no more than its
    // preview. Throws std::filesystem::filesystem_error when the file cannot be read.
    [[nodiscard]] static QString readPreview(const QString& path, std::int64_t limit);
    // `bytes` holds at most `limit` + 1 bytes of the file's start.
    [[nodiscard]] static QString decode(QByteArray bytes, std::int64_t limit);
};

}  // namespace kelvane::app
