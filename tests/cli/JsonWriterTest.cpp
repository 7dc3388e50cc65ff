#include <gtest/gtest.h>
#include <simdjson.h>

#include <cstdio>
#include <string>

#include "JsonWriter.hpp"

namespace kelvane::cli {
namespace {

std::string escaped(std::string_view text) {
    std::string out;
    JsonWriter::appendEscaped(out, text);
    return out;
}

TEST(JsonWriter, EscapesWhatJsonForbidsAndRepairsIllFormedText) {
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

TEST(JsonWriter, NestedDocumentsParseBack) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        JsonWriter writer(file);
        writer.beginObject();
        writer.key("a");
        writer.beginArray();
        writer.number(-1);
        writer.boolean(true);
        writer.null();
        writer.beginObject();
        writer.endObject();
        writer.beginArray();
        writer.endArray();
        writer.string("x\xFFy");
        writer.endArray();
        writer.key("b\n");
        writer.number(9223372036854775807);
        writer.endObject();
        writer.endLine();
    }
    std::rewind(file);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_EQ(text, "{\"a\":[-1,true,null,{},[],\"x\uFFFDy\"],\"b\\n\":9223372036854775807}\n");
    simdjson::dom::parser parser;
    simdjson::dom::element document;
    EXPECT_EQ(parser.parse(text).get(document), simdjson::SUCCESS);
}

}  // namespace
}  // namespace kelvane::cli
