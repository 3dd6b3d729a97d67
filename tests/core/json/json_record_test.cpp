#include "core/json/json_record.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct Pair {
    std::string label;
    std::uint32_t count = 0;
};

struct Outer {
    std::uint32_t format = 0;
    Pair inner;
};

std::string read_pair(std::string_view text, Pair* out = nullptr) {
    Pair pair;
    core::JsonRecord record;
    record.string("label", pair.label).uint32("count", pair.count);
    const core::Status status = core::read_json_record(text, record);
    if (out != nullptr) *out = pair;
    return status ? "ok" : status.error().message();
}

std::string read_outer(std::string_view text, Outer* out = nullptr) {
    Outer outer;
    core::JsonRecord inner;
    inner.string("label", outer.inner.label).uint32("count", outer.inner.count);
    core::JsonRecord record;
    record.uint32("format", outer.format).record("inner", inner);
    const core::Status status = core::read_json_record(text, record);
    if (out != nullptr) *out = outer;
    return status ? "ok" : status.error().message();
}

TEST(JsonRecord, ReadsEveryMemberInAnyOrderWithWhiteSpaceAround) {
    Pair pair;
    EXPECT_EQ(read_pair(" \t\r\n{\"count\": 7, \"label\": \"a\\u00e9\\n\"} \r\n\t", &pair), "ok");
    EXPECT_EQ(pair.label, "a\xC3\xA9\n");
    EXPECT_EQ(pair.count, 7u);
}

TEST(JsonRecord, IntegersFromZeroToTheLargestUnsigned32BitValue) {
    Pair pair;
    EXPECT_EQ(read_pair(R"({"label":"","count":0})", &pair), "ok");
    EXPECT_EQ(pair.count, 0u);
    EXPECT_EQ(read_pair(R"({"label":"","count":4294967295})", &pair), "ok");
    EXPECT_EQ(pair.count, 4294967295u);
    const std::string expected = ": expected an integer from 0 to 4294967295";
    EXPECT_EQ(read_pair(R"({"label":"","count":4294967296})"),
              "JSON member \"count\" at line 1, column 21" + expected);
    for (const char* number : {"-1", "-0", "1.0", "1e0", "1E2", "0.5", "99999999999999999999"}) {
        EXPECT_EQ(read_pair(std::string(R"({"label":"","count":)") + number + "}"),
                  "JSON member \"count\" at line 1, column 21" + expected)
            << number;
    }
}

TEST(JsonRecord, WrongTypesNameTheMemberAndTheExpectedType) {
    EXPECT_EQ(read_pair(R"({"label":1,"count":1})"),
              "JSON member \"label\" at line 1, column 10: expected a string");
    EXPECT_EQ(read_pair(R"({"label":"x","count":"1"})"),
              "JSON member \"count\" at line 1, column 22: expected an integer from 0 to 4294967295");
    for (const char* value : {"true", "false", "null", "[1]", "{}"}) {
        EXPECT_EQ(read_pair(std::string(R"({"count":1,"label":)") + value + "}"),
                  "JSON member \"label\" at line 1, column 20: expected a string")
            << value;
    }
    EXPECT_EQ(read_outer(R"({"format":1,"inner":"x"})"),
              "JSON member \"inner\" at line 1, column 21: expected an object");
}

TEST(JsonRecord, UnknownRepeatedAndMissingMembers) {
    EXPECT_EQ(read_pair("{\"label\":\"x\",\n  \"author\":\"me\",\"count\":1}"),
              "unknown JSON member \"author\" at line 2, column 3; expected \"label\", \"count\"");
    EXPECT_EQ(read_pair(R"({"label":"x","count":1,"label":"y"})"),
              "repeated JSON member \"label\" at line 1, column 24");
    EXPECT_EQ(read_pair(R"({"label":"x"})"), "missing JSON member \"count\" at line 1, column 13");
    EXPECT_EQ(read_pair("{}"), "missing JSON member \"label\" at line 1, column 2");
    // Names are compared exactly.
    EXPECT_EQ(read_pair(R"({"Label":"x","count":1})"),
              "unknown JSON member \"Label\" at line 1, column 2; expected \"label\", \"count\"");
}

TEST(JsonRecord, NestedRecordsUseTheSameRulesAndDottedNames) {
    Outer outer;
    EXPECT_EQ(read_outer(R"({"inner":{"label":"x","count":2},"format":1})", &outer), "ok");
    EXPECT_EQ(outer.format, 1u);
    EXPECT_EQ(outer.inner.label, "x");
    EXPECT_EQ(outer.inner.count, 2u);
    EXPECT_EQ(read_outer(R"({"format":1,"inner":{"label":"x"}})"),
              "missing JSON member \"inner.count\" at line 1, column 33");
    EXPECT_EQ(read_outer(R"({"format":1,"inner":{"label":"x","count":1,"extra":0}})"),
              "unknown JSON member \"inner.extra\" at line 1, column 44; expected \"label\", \"count\"");
    EXPECT_EQ(read_outer(R"({"format":1,"inner":{"label":"x","count":-1}})"),
              "JSON member \"inner.count\" at line 1, column 42: expected an integer from 0 to 4294967295");
    EXPECT_EQ(read_outer(R"({"format":1,"inner":{"label":"x","count":1},"inner":{}})"),
              "repeated JSON member \"inner\" at line 1, column 45");
}

TEST(JsonRecord, StringsMustBeValidUtf8AfterUnescaping) {
    EXPECT_EQ(read_pair("{\"label\":\"\xC3\",\"count\":1}"),
              "JSON member \"label\" at line 1, column 10: expected valid UTF-8");
    // A lone surrogate written as an escape decodes to bytes that are not UTF-8.
    EXPECT_EQ(read_pair(R"({"label":"\udc00","count":1})"),
              "JSON member \"label\" at line 1, column 10: expected valid UTF-8");
    EXPECT_EQ(read_pair("{\"lab\xFF\":\"x\",\"count\":1}"),
              "JSON member name at line 1, column 2: expected valid UTF-8");
    Pair pair;
    EXPECT_EQ(read_pair(R"({"label":"\ud83d\ude00","count":1})", &pair), "ok");
    EXPECT_EQ(pair.label, "\xF0\x9F\x98\x80");
}

TEST(JsonRecord, OnlyWhiteSpaceMayFollowTheObject) {
    EXPECT_EQ(read_pair("{\"label\":\"x\",\"count\":1}\n x"),
              "JSON text at line 2, column 2: expected nothing but white space after the object");
    EXPECT_EQ(read_pair(std::string("{\"label\":\"x\",\"count\":1}\0", 24)),
              "JSON text at line 1, column 24: expected nothing but white space after the object");
    EXPECT_EQ(read_pair("{\"label\":\"x\",\"count\":1}{}"),
              "JSON text at line 1, column 24: expected nothing but white space after the object");
    // Form feed and vertical tab are not JSON white space.
    EXPECT_EQ(read_pair("{\"label\":\"x\",\"count\":1}\f"),
              "JSON text at line 1, column 24: expected nothing but white space after the object");
}

TEST(JsonRecord, TheTextMustBeOneObject) {
    EXPECT_EQ(read_pair(""), "JSON syntax error at line 1, column 1: the text is empty");
    EXPECT_EQ(read_pair(" \n "), "JSON syntax error at line 2, column 2: the text is empty");
    EXPECT_EQ(read_pair("[]"), "JSON text at line 1, column 1: expected an object");
    EXPECT_EQ(read_pair(" \"x\""), "JSON text at line 1, column 2: expected an object");
    EXPECT_EQ(read_pair("7"), "JSON text at line 1, column 1: expected an object");
    EXPECT_EQ(read_pair("null"), "JSON text at line 1, column 1: expected an object");
    // A byte order mark is not white space.
    EXPECT_EQ(read_pair("\xEF\xBB\xBF{}"), "JSON syntax error at line 1, column 1: invalid value");
}

TEST(JsonRecord, SyntaxErrorsCarryThePositionOfTheProblem) {
    EXPECT_EQ(read_pair("{\"label\":\"x\",\n\"count\" 1}"),
              "JSON syntax error at line 2, column 9: missing a colon after a member name");
    EXPECT_EQ(read_pair("{\"label\":\"x\" \"count\":1}"),
              "JSON syntax error at line 1, column 14: missing a comma or \"}\" after a member");
    EXPECT_EQ(read_pair("{\"label\":\"x\",}"),
              "JSON syntax error at line 1, column 14: missing a member name");
    EXPECT_EQ(read_pair("{\"label\":\"a\tb\",\"count\":1}"),
              "JSON syntax error at line 1, column 12: invalid escape sequence or control character");
    EXPECT_EQ(read_pair("{\"label\":\"a\\qb\",\"count\":1}"),
              "JSON syntax error at line 1, column 12: invalid escape sequence or control character");
    EXPECT_EQ(read_pair("{\"label\":\"ab"),
              "JSON syntax error at line 1, column 13: missing the closing quotation mark");
    EXPECT_EQ(read_pair("{\"label\":\"x\",\"count\":01}"),
              "JSON syntax error at line 1, column 23: missing a comma or \"}\" after a member");
    EXPECT_EQ(read_pair("{\"label\":\"x\",\"count\":1.}"),
              "JSON syntax error at line 1, column 24: missing digits after the decimal point");
    EXPECT_EQ(read_pair("{\"label\":'x',\"count\":1}"), "JSON syntax error at line 1, column 10: invalid value");
    EXPECT_EQ(read_pair(std::string("{\"label\":\"a\0b\",\"count\":1}", 25)),
              "JSON syntax error at line 1, column 12: missing the closing quotation mark");
    // Comments and trailing commas are not JSON.
    EXPECT_EQ(read_pair("{\"label\":\"x\",\"count\":1 // c\n}"),
              "JSON syntax error at line 1, column 24: missing a comma or \"}\" after a member");
}

TEST(JsonRecord, LongMemberNamesAreShortenedInMessages) {
    const std::string name(300, 'n');
    const std::string message = read_pair("{\"" + name + "\":1}");
    EXPECT_EQ(message, "unknown JSON member \"" + std::string(100, 'n') +
                           "\"... at line 1, column 2; expected \"label\", \"count\"");
    // Control characters in names are escaped.
    EXPECT_EQ(read_pair("{\"a\\u0001\":1}"),
              "unknown JSON member \"a\\u0001\" at line 1, column 2; expected \"label\", \"count\"");
}

struct Files {
    std::vector<std::pair<std::string, std::string>> members;
    core::JsonRecord record;
    std::vector<bool> borrowed;

    explicit Files(const std::string* source = nullptr) {
        record.string_map("files", [this, source](std::string_view name, std::string_view value) -> core::Status {
            if (name == "stop") return core::fail("duplicate asset path");
            members.emplace_back(name, value);
            if (source != nullptr) borrowed.push_back(core::json_view_is_within(value, *source));
            return {};
        });
    }
};

TEST(JsonRecord, StringMapsHandEveryMemberToTheVisitorInTextOrder) {
    Files files;
    ASSERT_TRUE(core::read_json_record(R"({"files":{"b":"1","a":"2","b":"3"}})", files.record));
    const std::vector<std::pair<std::string, std::string>> expected = {{"b", "1"}, {"a", "2"}, {"b", "3"}};
    EXPECT_EQ(files.members, expected);
    Files empty;
    EXPECT_TRUE(core::read_json_record(R"({"files":{}})", empty.record));
    EXPECT_TRUE(empty.members.empty());
}

TEST(JsonRecord, StringMapVisitorErrorsAndValueTypes) {
    Files stop;
    const core::Status stopped = core::read_json_record(R"({"files":{"a":"1","stop":"2","c":"3"}})", stop.record);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().message(), "duplicate asset path");
    EXPECT_EQ(stopped.error().cause(), nullptr);
    EXPECT_EQ(stop.members.size(), 1u);

    for (const char* value : {"1", "true", "null", "{}", "[]"}) {
        Files files;
        const core::Status status =
            core::read_json_record(std::string(R"({"files":{"img/a.png":)") + value + "}}", files.record);
        ASSERT_FALSE(status) << value;
        EXPECT_EQ(status.error().message(),
                  "JSON member \"files.img/a.png\" at line 1, column 23: expected a string")
            << value;
    }
    Files bad_value;
    const core::Status bad = core::read_json_record("{\"files\":{\"a\":\"\xC0\x80\"}}", bad_value.record);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message(), "JSON member \"files.a\" at line 1, column 15: expected valid UTF-8");
    Files not_object;
    const core::Status scalar = core::read_json_record(R"({"files":"x"})", not_object.record);
    ASSERT_FALSE(scalar);
    EXPECT_EQ(scalar.error().message(), "JSON member \"files\" at line 1, column 10: expected an object");
}

TEST(JsonRecord, BorrowingHandsOutViewsIntoTheTextForStringsWithoutEscapes) {
    const std::string text = R"({"files":{"plain":"QUJD","escaped":"a\/b","last":""}})";
    const std::string copy = text;
    Files files(&text);
    ASSERT_TRUE(core::read_json_record_borrowing(text, files.record));
    EXPECT_EQ(text, copy);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"plain", "QUJD"}, {"escaped", "a/b"}, {"last", ""}};
    EXPECT_EQ(files.members, expected);
    EXPECT_EQ(files.borrowed, (std::vector<bool>{true, false, true}));

    Files copied(&text);
    ASSERT_TRUE(core::read_json_record(text, copied.record));
    EXPECT_EQ(copied.borrowed, (std::vector<bool>{false, false, false}));
}

// Manifests, package headers and archives come from outside: nesting as deep as the
// text allows ends in an error, never in a stack overflow.
TEST(JsonRecord, DeepNestingIsRefusedWithoutRecursion) {
    constexpr std::size_t kDepth = 100'000;
    EXPECT_EQ(read_pair(std::string(kDepth, '[') + std::string(kDepth, ']')),
              "JSON text at line 1, column 1: expected an object");
    EXPECT_EQ(read_pair("{\"label\":" + std::string(kDepth, '[')),
              "JSON member \"label\" at line 1, column 10: expected a string");
    EXPECT_EQ(read_outer("{\"inner\":{\"label\":" + std::string(kDepth, '{')),
              "JSON member \"inner.label\" at line 1, column 19: expected a string");
    Files files;
    const core::Status status =
        core::read_json_record("{\"files\":{\"a\":" + std::string(kDepth, '{'), files.record);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().message(), "JSON member \"files.a\" at line 1, column 15: expected a string");
}

}  // namespace
