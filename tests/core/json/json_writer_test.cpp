#include "core/json/json_writer.h"

#include <gtest/gtest.h>

namespace {

void write_sample(core::JsonWriter& writer) {
    writer.begin_object()
        .key("name").string("a\"b\\c\n\x01 \xE4\xBA\x92")
        .key("count").uint(4294967296)
        .key("delta").integer(-3)
        .key("x").number(0.25)
        .key("on").boolean(true)
        .key("none").null()
        .key("list").begin_array().uint(1).uint(2).end_array()
        .key("empty").begin_object().end_object()
        .end_object();
}

TEST(JsonWriter, CompactOutputHasNoWhiteSpace) {
    core::JsonWriter writer(core::JsonStyle::compact);
    write_sample(writer);
    EXPECT_EQ(writer.text(),
              "{\"name\":\"a\\\"b\\\\c\\n\\u0001 \xE4\xBA\x92\",\"count\":4294967296,\"delta\":-3,"
              "\"x\":0.25,\"on\":true,\"none\":null,\"list\":[1,2],\"empty\":{}}");
}

TEST(JsonWriter, PrettyOutputIndentsByTwoSpaces) {
    core::JsonWriter writer(core::JsonStyle::pretty);
    write_sample(writer);
    EXPECT_EQ(writer.text(),
              "{\n"
              "  \"name\": \"a\\\"b\\\\c\\n\\u0001 \xE4\xBA\x92\",\n"
              "  \"count\": 4294967296,\n"
              "  \"delta\": -3,\n"
              "  \"x\": 0.25,\n"
              "  \"on\": true,\n"
              "  \"none\": null,\n"
              "  \"list\": [\n"
              "    1,\n"
              "    2\n"
              "  ],\n"
              "  \"empty\": {}\n"
              "}");
}

TEST(JsonWriter, QuoteEscapesWhatJsonRequires) {
    EXPECT_EQ(core::json_quote(""), "\"\"");
    EXPECT_EQ(core::json_quote("a/b\t\x7F"), "\"a/b\\t\x7F\"");
    EXPECT_EQ(core::json_quote(std::string_view("a\0b", 3)), "\"a\\u0000b\"");
}

}  // namespace
