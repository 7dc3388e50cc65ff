#include "process/ProgressText.hpp"

#include <array>

namespace kelvane::ProgressText {
namespace {

// Byte length of the newline character starting at `text[i]`, or 0.
std::size_t newlineLength(std::string_view text, std::size_t i) {
    switch (text[i]) {
        case '\n':
        case '\v':
        case '\f':
        case '\r':
            return 1;
        default:
            break;
    }
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("\xC2\x85")) return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) return 3;
    return 0;
}

constexpr std::array<std::string_view, 17> kBlanks{
    "\t",           " ",
    "\xC2\xA0",     "\xE1\x9A\x80",
    "\xE2\x80\x80", "\xE2\x80\x81",
    "\xE2\x80\x82", "\xE2\x80\x83",
    "\xE2\x80\x84", "\xE2\x80\x85",
    "\xE2\x80\x86", "\xE2\x80\x87",
    "\xE2\x80\x88", "\xE2\x80\x89",
    "\xE2\x80\x8A", "\xE2\x80\xAF",
    "\xE2\x81\x9F",
};
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

std::size_t leadingBlankLength(std::string_view text) {
    for (const std::string_view blank : kBlanks) {
        if (text.starts_with(blank)) return blank.size();
    }
    return text.starts_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
}

std::size_t trailingBlankLength(std::string_view text) {
    for (const std::string_view blank : kBlanks) {
        if (text.ends_with(blank)) return blank.size();
    }
    return text.ends_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
}

template <class SeparatorLength>
std::vector<std::string_view> split(std::string_view text, SeparatorLength separatorLength) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (const std::size_t length = separatorLength(text, i); length > 0) {
            pieces.push_back(text.substr(start, i - start));
            i += length;
            start = i;
        } else {
            ++i;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

std::vector<std::string_view> splitAtNewlines(std::string_view text) {
    return split(text, newlineLength);
}

std::vector<std::string_view> splitAtAnyOf(std::string_view text, std::string_view separators) {
    return split(text, [separators](std::string_view t, std::size_t i) -> std::size_t {
        return separators.find(t[i]) != std::string_view::npos ? 1 : 0;
    });
}

std::string_view trimmedSpacesAndTabs(std::string_view text) {
    while (const std::size_t length = leadingBlankLength(text)) text.remove_prefix(length);
    while (const std::size_t length = trailingBlankLength(text)) text.remove_suffix(length);
    return text;
}

}  // namespace kelvane::ProgressText
