#include "core/settings/settings_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using core::Config;

TEST(SettingsText, WrittenInTheFixedOrderWithTwoSpaceIndentAndNoFinalLineFeed) {
    const Config chosen{.package = std::nullopt, .selected_id = "aurora", .removed = {}, .fps = 60};
    EXPECT_EQ(core::format_settings(chosen),
              "{\n"
              "  \"package\": null,\n"
              "  \"fps\": 60,\n"
              "  \"selected_id\": \"aurora\"\n"
              "}");

    EXPECT_EQ(core::format_settings(Config{}),
              "{\n  \"package\": null,\n  \"fps\": null,\n  \"selected_id\": null\n}");

    const Config full{.package = "C:\\Users\\\xE5\xBC\xA0\\Downloads\\sea \"blue\".wallpkg",
                      .selected_id = std::nullopt,
                      .removed = {"aurora", "sea.2"},
                      .fps = 30};
    EXPECT_EQ(core::format_settings(full),
              "{\n"
              "  \"package\": \"C:\\\\Users\\\\\xE5\xBC\xA0\\\\Downloads\\\\sea \\\"blue\\\".wallpkg\",\n"
              "  \"fps\": 30,\n"
              "  \"selected_id\": null,\n"
              "  \"removed\": [\n"
              "    \"aurora\",\n"
              "    \"sea.2\"\n"
              "  ]\n"
              "}");
}

TEST(SettingsText, APathThatIsNotUnicodeIsNotWritten) {
    EXPECT_FALSE(core::format_settings(Config{.package = std::string("C:\\a\xFF.wallpkg")}));
    EXPECT_FALSE(core::format_settings(Config{.removed = {"ok", "\xC0\x80"}}));
}

TEST(SettingsText, WhatIsWrittenReadsBackTheSame) {
    const Config full{.package = "D:\\p.wallpkg", .selected_id = "a", .removed = {"x", "y"}, .fps = 4294967295u};
    EXPECT_EQ(core::parse_settings(core::format_settings(full).value()), full);
}

TEST(SettingsText, AnySubsetInAnyOrderWithUnknownMembersIgnored) {
    EXPECT_EQ(core::parse_settings("{}"), Config{});
    EXPECT_EQ(core::parse_settings(" \t\r\n{}\n\n "), Config{});
    EXPECT_EQ(core::parse_settings("{\"fps\": 45}"), Config{.fps = 45});
    // An empty list is accepted and is the same as none.
    EXPECT_EQ(core::parse_settings("{\"removed\": []}"), Config{});
    EXPECT_EQ(core::parse_settings("{\"volume\": 3, \"selected_id\": \"b\", \"extra\": {\"a\": [1, null]}}"),
              Config{.selected_id = "b"});
    EXPECT_EQ(core::parse_settings("{\"removed\": [\"b\", \"a\", \"b\"], \"package\": \"p\", \"fps\": null, "
                                   "\"selected_id\": null}"),
              (Config{.package = "p", .removed = {"b", "a", "b"}}));
}

TEST(SettingsText, DamagedDocumentsAreRefusedWhole) {
    const char* refused[] = {
        "",
        "   ",
        "{",
        "{\"package\": null,\n  \"fps\": 60,\n  \"selected",  // cut short while written
        "[]",
        "null",
        "{} {}",
        "{}x",
        "\xEF\xBB\xBF{}",  // a byte-order mark is not white space
        "{\"fps\": 30, \"fps\": 60}",
        "{\"fps\": 30, \"f\\u0070s\": 30}",  // the same name spelled with an escape
        "{\"volume\": 1, \"volume\": 1}",
        "{\"fps\": 30.0}",
        "{\"fps\": 3e1}",
        "{\"fps\": -30}",
        "{\"fps\": 4294967296}",
        "{\"fps\": \"60\"}",
        "{\"package\": 5}",
        "{\"selected_id\": [\"a\"]}",
        "{\"removed\": null}",
        "{\"removed\": [\"a\", 1]}",
        "{\"removed\": \"a\"}",
        "{\"package\": \"\xFF\"}",
        "{\"package\": \"\\udc00\"}",
        "{\"package\": \"\\ud800\"}",
        "{\"fps\": 30,}",
    };
    for (const char* text : refused) {
        EXPECT_FALSE(core::parse_settings(text)) << text;
    }
    // Nothing may follow the object, not even after a NUL byte.
    EXPECT_FALSE(core::parse_settings(std::string_view("{}\0{\"fps\":1}", 12)));
}

// Deep nesting in a member that is otherwise ignored must not exhaust the stack: read
// whole it is a valid document, cut short it is a damaged one.
TEST(SettingsText, DeeplyNestedValuesReadWithoutRecursion) {
    constexpr std::size_t kDepth = 100'000;
    const std::string open(kDepth, '[');
    const std::string close(kDepth, ']');
    EXPECT_EQ(core::parse_settings("{\"extra\": " + open + close + ", \"fps\": 60}"), Config{.fps = 60});
    EXPECT_FALSE(core::parse_settings("{\"extra\": " + open + close.substr(1) + "}"));
    EXPECT_FALSE(core::parse_settings(open + close));
    EXPECT_FALSE(core::parse_settings("{\"removed\": " + open + close + "}"));
}

}  // namespace
