// Writes JSON to a stream as it goes, so a listing of a million entries is never held
// as one document. Text is escaped to valid JSON whatever bytes it holds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::cli {

class JsonWriter final {
public:
    explicit JsonWriter(std::FILE* out);
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The key of the next member of the enclosing object.
    void key(std::string_view name);
    void string(std::string_view text);
    void number(std::int64_t value);
    void boolean(bool value);
    void null();
    // Ends the document's line and hands everything written to the stream.
    void endLine();
    void flush();

private:
    void beforeValue();

    std::FILE* out_;
    std::string buffer_;
    // One level per open object or array: whether it has a member already.
    std::vector<bool> hasMember_;
    bool afterKey_ = false;
};

}  // namespace kelvane::cli
