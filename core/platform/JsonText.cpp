#include "platform/JsonText.hpp"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

// ICU's UTF-8 iteration macros are written with C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"

namespace kelvane::JsonText {
namespace {

constexpr std::size_t kLongestSequence = 4;

void appendUnicodeEscape(std::string& out, char32_t codePoint) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(codePoint >> shift) & 0xFU]);
}

}  // namespace

void appendEscaped(std::string& out, std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        // Decoded from a window no longer than one sequence, so the text's length is not
        // bound by ICU's 32-bit offsets.
        const std::string_view window =
            text.substr(position, std::min(kLongestSequence, text.size() - position));
        int32_t length = 0;
        UChar32 codePoint = 0;
        U8_NEXT(reinterpret_cast<const uint8_t*>(window.data()), length,
                static_cast<int32_t>(window.size()), codePoint);
        const std::string_view bytes = window.substr(0, static_cast<std::size_t>(length));
        position += bytes.size();
        if (codePoint < 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            continue;
        }
        switch (codePoint) {
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
                if (codePoint < 0x20 || codePoint == 0x7F || codePoint == 0x2028 ||
                    codePoint == 0x2029) {
                    appendUnicodeEscape(out, static_cast<char32_t>(codePoint));
                } else {
                    out.append(bytes);
                }
        }
    }
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    appendEscaped(out, text);
    out += '"';
}

}  // namespace kelvane::JsonText
