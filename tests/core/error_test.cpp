#include "core/error/error.h"

#include <gtest/gtest.h>

namespace {

TEST(Error, ChainJoinsMessageAndEveryCauseWithColons) {
    const core::Error root = core::Error::os("Access is denied. (os error 5)", 5);
    const core::Error middle("cannot open", root);
    const core::Error outer = middle.context("library rejected item");
    EXPECT_EQ(outer.chain(), "library rejected item: cannot open: Access is denied. (os error 5)");
    ASSERT_NE(outer.cause(), nullptr);
    ASSERT_NE(outer.cause()->cause(), nullptr);
    EXPECT_EQ(outer.cause()->cause()->os_code(), 5u);
    EXPECT_FALSE(outer.os_code().has_value());
}

TEST(Error, CopiesShareAnImmutableChain) {
    core::Error first("outer", core::Error("inner"));
    const core::Error second = first;
    first = core::Error("replaced");
    EXPECT_EQ(second.chain(), "outer: inner");
    EXPECT_EQ(first.chain(), "replaced");
}

}  // namespace
