#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/JsonText.hpp"

namespace kelvane {
namespace {

std::string escaped(std::string_view text) {
    std::string out;
    JsonText::appendEscaped(out, text);
    return out;
}

TEST(JsonText, EscapesWhatJsonForbidsAndRepairsIllFormedText) {
    EXPECT_EQ(escaped("plain café ☕ 🎉"), "plain café ☕ 🎉");
    EXPECT_EQ(escaped("quote\" backslash\\"), "quote\\\" backslash\\\\");
    EXPECT_EQ(escaped("\n\r\t\b\f"), "\\n\\r\\t\\b\\f");
    EXPECT_EQ(escaped(std::string("nul\0x", 5)), "nul\\u0000x");
    EXPECT_EQ(escaped("\x1b[0m\x7f"), "\\u001b[0m\\u007f");
    EXPECT_EQ(escaped("line\xE2\x80\xA8sep"), "line\\u2028sep");
    // Ill-formed bytes: a lone continuation, a truncated sequence, an overlong form, an
    // encoded surrogate, a code point past U+10FFFF. Each maximal subpart is one U+FFFD.
    EXPECT_EQ(escaped("a\x80z"), "a\uFFFDz");
    EXPECT_EQ(escaped("a\xE2\x82z"), "a\uFFFDz");
    EXPECT_EQ(escaped("\xC0\xAF"), "\uFFFD\uFFFD");
    EXPECT_EQ(escaped("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(escaped("\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(escaped("end\xF0\x9F"), "end\uFFFD");
}

TEST(JsonText, QuotedAppendsAfterWhatIsThere) {
    std::string out = "[";
    JsonText::appendQuoted(out, "a\"\xE2\x80\xA9\xFF");
    JsonText::appendQuoted(out, "");
    EXPECT_EQ(out, "[\"a\\\"\\u2029\uFFFD\"\"\"");
}

}  // namespace
}  // namespace kelvane
