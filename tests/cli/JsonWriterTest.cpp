#include <gtest/gtest.h>
#include <simdjson.h>

#include <cstdio>
#include <string>

#include "JsonWriter.hpp"

namespace kelvane::cli {
namespace {

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
