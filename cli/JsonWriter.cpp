#include "JsonWriter.hpp"

#include "platform/JsonText.hpp"

namespace kelvane::cli {
namespace {

// Flushed to the stream once this much is buffered.
constexpr std::size_t kFlushThreshold = 1 << 16;

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
    JsonText::appendQuoted(buffer_, name);
    buffer_.push_back(':');
    afterKey_ = true;
}

void JsonWriter::string(std::string_view text) {
    beforeValue();
    JsonText::appendQuoted(buffer_, text);
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

}  // namespace kelvane::cli
