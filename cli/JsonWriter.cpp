#include "JsonWriter.hpp"

#include "Utf8Scanner.hpp"

namespace kelvane::cli {
namespace {

// Flushed to the stream once this much is buffered.
constexpr std::size_t kFlushThreshold = 1 << 16;

void appendUnicodeEscape(std::string& out, char32_t codePoint) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(codePoint >> shift) & 0xFU]);
}

}  // namespace

JsonWriter::JsonWriter(std::FILE* out) : out_(out) {
    buffer_.reserve(kFlushThreshold * 2);
}

JsonWriter::~JsonWriter() {
    flush();
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMember_.empty()) {
        if (hasMember_.back()) buffer_.push_back(',');
        hasMember_.back() = true;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    buffer_.push_back('{');
    hasMember_.push_back(false);
}

void JsonWriter::endObject() {
    buffer_.push_back('}');
    hasMember_.pop_back();
    if (buffer_.size() >= kFlushThreshold) flush();
}

void JsonWriter::beginArray() {
    beforeValue();
    buffer_.push_back('[');
    hasMember_.push_back(false);
}

void JsonWriter::endArray() {
    buffer_.push_back(']');
    hasMember_.pop_back();
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    buffer_.push_back('"');
    appendEscaped(buffer_, name);
    buffer_ += "\":";
    afterKey_ = true;
}

void JsonWriter::string(std::string_view text) {
    beforeValue();
    buffer_.push_back('"');
    appendEscaped(buffer_, text);
    buffer_.push_back('"');
}

void JsonWriter::number(std::int64_t value) {
    beforeValue();
    buffer_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    buffer_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    buffer_ += "null";
}

void JsonWriter::endLine() {
    buffer_.push_back('\n');
    flush();
}

void JsonWriter::flush() {
    if (buffer_.empty()) return;
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
}

void JsonWriter::appendEscaped(std::string& out, std::string_view text) {
    Utf8Scanner scanner(text);
    while (!scanner.atEnd()) {
        const Utf8Scanner::Step step = scanner.next();
        if (!step.valid) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            continue;
        }
        switch (step.codePoint) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (step.codePoint < 0x20 || step.codePoint == 0x7F || step.codePoint == 0x2028 ||
                    step.codePoint == 0x2029) {
                    appendUnicodeEscape(out, step.codePoint);
                } else {
                    out.append(step.bytes);
                }
        }
    }
}

}  // namespace kelvane::cli
