#include "core/text/text_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

TEST(TextBuffer, AlwaysTerminatedKeepsItsPrefixWhenShrunkAndMoves) {
    core::TextBuffer empty;
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_STREQ(std::as_const(empty).data(), "");  // terminated even before any allocation

    core::TextBuffer text;
    text.reserve(8);
    text.resize(5 * 1024 * 1024);  // past the reservation: grows
    std::memset(text.data(), 'x', text.size());
    std::memcpy(text.data(), "head", 4);
    EXPECT_EQ(text.data()[text.size()], '\0');

    text.shrink_to(4);
    EXPECT_EQ(text.view(), "head");
    EXPECT_EQ(text.data()[4], '\0');
    text.shrink_to(10);  // never grows
    EXPECT_EQ(text.view(), "head");

    core::TextBuffer moved = std::move(text);
    EXPECT_EQ(moved.view(), "head");
    EXPECT_EQ(text.size(), 0u);
}

}  // namespace
