#include "ListingOutput.hpp"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "Utf8Scanner.hpp"

namespace kelvane::cli::ListingOutput {
namespace {

// Whole seconds since 1970 and the microseconds past them (never negative).
std::pair<std::time_t, std::int64_t> splitSeconds(ArchiveTimestamp date) {
    const auto micros = date.time_since_epoch().count();
    std::int64_t seconds = micros / 1'000'000;
    std::int64_t fraction = micros % 1'000'000;
    if (fraction < 0) {
        fraction += 1'000'000;
        --seconds;
    }
    return {static_cast<std::time_t>(seconds), fraction};
}

void appendOptionalText(JsonWriter& writer, const std::optional<std::string_view>& text) {
    if (text) {
        writer.string(*text);
    } else {
        writer.null();
    }
}

}  // namespace

std::string isoDate(ArchiveTimestamp date) {
    const auto [seconds, fraction] = splitSeconds(date);
    std::tm fields{};
    if (::gmtime_r(&seconds, &fields) == nullptr) return {};
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
    std::string result(text, length);
    if (fraction != 0) {
        char micros[8];
        std::snprintf(micros, sizeof micros, ".%06" PRId64, fraction);
        result += micros;
    }
    result.push_back('Z');
    return result;
}

void appendPrintable(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    Utf8Scanner scanner(text);
    while (!scanner.atEnd()) {
        const Utf8Scanner::Step step = scanner.next();
        if (!step.valid) {
            out += "\xEF\xBF\xBD";
            continue;
        }
        const char32_t c = step.codePoint;
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            // C0 and C1 controls, DEL: as hexadecimal escapes of the code point.
            out += "\\x";
            out.push_back(kHex[(c >> 4) & 0xFU]);
            out.push_back(kHex[c & 0xFU]);
        } else {
            out.append(step.bytes);
        }
    }
}

void appendEntryLine(std::string& out, const ArchiveEntry& entry) {
    char columns[96];
    char date[24] = "-";
    if (const auto modified = entry.modifiedDate()) {
        const std::time_t seconds = splitSeconds(*modified).first;
        std::tm fields{};
        if (::localtime_r(&seconds, &fields) != nullptr) {
            std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &fields);
        }
    }
    const int length =
        std::snprintf(columns, sizeof columns, "%c%c %14" PRId64 " %14" PRId64 "  %-19s  ",
                      entry.isDirectory() ? 'D' : 'F', entry.isEncrypted() ? '*' : ' ',
                      entry.uncompressedSize(), entry.compressedSize(), date);
    out.append(columns, static_cast<std::size_t>(length > 0 ? length : 0));
    appendPrintable(out, entry.id().empty() ? entry.rawPath() : entry.id());
    out.push_back('\n');
}

void writeEntry(JsonWriter& writer, const ArchiveEntry& entry) {
    writer.beginObject();
    writer.key("id");
    writer.string(entry.id());
    writer.key("rawPath");
    writer.string(entry.rawPath());
    writer.key("name");
    writer.string(entry.name());
    writer.key("lowercasedName");
    writer.string(entry.lowercasedName());
    writer.key("lowercasedPath");
    writer.string(entry.lowercasedPath());
    writer.key("parentPath");
    writer.string(entry.parentPath());
    writer.key("isDirectory");
    writer.boolean(entry.isDirectory());
    writer.key("uncompressedSize");
    writer.number(entry.uncompressedSize());
    writer.key("compressedSize");
    writer.number(entry.compressedSize());
    writer.key("modifiedDate");
    if (const auto modified = entry.modifiedDate()) {
        writer.string(isoDate(*modified));
    } else {
        writer.null();
    }
    writer.key("isEncrypted");
    writer.boolean(entry.isEncrypted());
    writer.key("crc32");
    appendOptionalText(writer, entry.crc32());
    writer.key("method");
    appendOptionalText(writer, entry.method());
    writer.key("xadIndex");
    if (const auto index = entry.xadIndex()) {
        writer.number(*index);
    } else {
        writer.null();
    }
    writer.key("fileExtension");
    writer.string(entry.fileExtension());
    writer.key("category");
    writer.string(entry.category().rawValue());
    writer.endObject();
}

void writeInfo(JsonWriter& writer, const ArchiveInfo& info) {
    writer.beginObject();
    writer.key("url");
    writer.string(info.url.string());
    writer.key("formatName");
    writer.string(info.formatName);
    writer.key("listEngine");
    writer.string(info.listEngine.rawValue());
    writer.key("extractEngine");
    writer.string(info.extractEngine.rawValue());
    writer.key("physicalSize");
    writer.number(info.physicalSize);
    writer.key("totalUncompressedSize");
    writer.number(info.totalUncompressedSize);
    writer.key("totalCompressedSize");
    writer.number(info.totalCompressedSize);
    writer.key("fileCount");
    writer.number(info.fileCount);
    writer.key("folderCount");
    writer.number(info.folderCount);
    writer.key("isSolid");
    writer.boolean(info.isSolid);
    writer.key("hasEncryptedEntries");
    writer.boolean(info.hasEncryptedEntries);
    writer.key("isMultiVolume");
    writer.boolean(info.isMultiVolume);
    writer.key("volumeCount");
    writer.number(info.volumeCount);
    writer.key("isModifiable");
    writer.boolean(info.isModifiable);
    writer.key("loadDurationMs");
    writer.number(info.loadDurationMs);
    writer.endObject();
}

}  // namespace kelvane::cli::ListingOutput
