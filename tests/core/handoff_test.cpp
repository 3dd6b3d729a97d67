#include "core/shell/handoff.h"

#include <gtest/gtest.h>

namespace {

std::optional<std::string> read(std::string_view bytes) {
    const auto id = core::read_handoff_record(bytes.data(), bytes.size());
    return id ? std::optional<std::string>(id->value()) : std::nullopt;
}

TEST(Handoff, RecordIsTheIdAndOneZeroByte) {
    const std::string record = core::handoff_record("aurora");
    EXPECT_EQ(record, std::string("aurora\0", 7));
    EXPECT_EQ(read(record), "aurora");
}

TEST(Handoff, ReceiverRefusesWrongSizesMissingZeroAndBadIds) {
    EXPECT_EQ(read(std::string(100, 'a') + '\0'), std::string(100, 'a'));  // 101 bytes
    EXPECT_FALSE(read(std::string(101, 'a') + '\0'));                      // 102 bytes
    EXPECT_FALSE(read(std::string("\0", 1)));                              // empty id
    EXPECT_FALSE(read("aurora"));                                           // no terminating zero
    EXPECT_FALSE(read(std::string("aur\0ra\0", 7)));                       // zero inside
    EXPECT_FALSE(read(std::string(".hidden\0", 8)));
    EXPECT_FALSE(read(std::string("CON\0", 4)));
    EXPECT_FALSE(read(std::string("caf\xC3\xA9\0", 6)));
    EXPECT_FALSE(read(std::string("\xFF\0", 2)));
    EXPECT_FALSE(core::read_handoff_record(nullptr, 7));
}

}  // namespace
