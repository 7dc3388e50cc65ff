#include "platform/UnicodeText.hpp"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

// ICU's UTF-8 iteration macros are written with C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wconversion"

namespace kelvane::UnicodeText {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

template <class CaseFunction>
std::string mapCase(std::string_view utf8, CaseFunction&& function) {
    std::string result;
    result.reserve(utf8.size());
    icu::StringByteSink<std::string> sink(&result);
    UErrorCode status = U_ZERO_ERROR;
    function(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())), sink, status);
    if (U_FAILURE(status)) {
        return std::string(utf8);
    }
    return result;
}

// Code point at `index`, or a negative value for an ill-formed sequence.
UChar32 codePointAt(std::string_view text, int32_t& index) {
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), index,
            static_cast<int32_t>(text.size()), c);
    return c;
}

bool isWhitespaceOrNewline(UChar32 c) {
    return u_isUWhiteSpace(c) != 0 || c == 0x85 || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::string lowercased(std::string_view utf8) {
    if (isAscii(utf8)) {
        std::string result(utf8);
        for (char& c : result) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return result;
    }
    return mapCase(utf8, [](icu::StringPiece text, icu::ByteSink& sink, UErrorCode& status) {
        icu::CaseMap::utf8ToLower("", 0, text, sink, nullptr, status);
    });
}

std::string uppercased(std::string_view utf8) {
    if (isAscii(utf8)) {
        std::string result(utf8);
        for (char& c : result) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return result;
    }
    return mapCase(utf8, [](icu::StringPiece text, icu::ByteSink& sink, UErrorCode& status) {
        icu::CaseMap::utf8ToUpper("", 0, text, sink, nullptr, status);
    });
}

std::string_view trimmedWhitespace(std::string_view utf8) {
    int32_t start = 0;
    const auto length = static_cast<int32_t>(utf8.size());
    while (start < length) {
        int32_t next = start;
        const UChar32 c = codePointAt(utf8, next);
        if (c < 0 || !isWhitespaceOrNewline(c)) break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c = 0;
        U8_PREV(reinterpret_cast<const uint8_t*>(utf8.data()), start, previous, c);
        if (c < 0 || !isWhitespaceOrNewline(c)) break;
        end = previous;
    }
    return utf8.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

bool isValidUtf8(std::string_view bytes) {
    int32_t index = 0;
    const auto length = static_cast<int32_t>(bytes.size());
    while (index < length) {
        if (static_cast<unsigned char>(bytes[static_cast<size_t>(index)]) < 0x80) {
            ++index;
            continue;
        }
        if (codePointAt(bytes, index) < 0) return false;
    }
    return true;
}

std::string repairedUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    std::string result;
    result.reserve(bytes.size() + 16);
    int32_t index = 0;
    const auto length = static_cast<int32_t>(bytes.size());
    while (index < length) {
        const int32_t start = index;
        const UChar32 c = codePointAt(bytes, index);
        if (c < 0) {
            result += "\xEF\xBF\xBD";
        } else {
            result.append(bytes.substr(static_cast<size_t>(start),
                                       static_cast<size_t>(index - start)));
        }
    }
    return result;
}

}  // namespace kelvane::UnicodeText
