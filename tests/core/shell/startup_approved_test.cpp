#include "core/shell/startup_approved.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool disables(std::vector<std::uint8_t> bytes) { return core::startup_approval_disables(std::span(bytes)); }

TEST(StartupApproval, OnlyNoFlagOrAReportedEnabledFormLetsTheRunValueStart) {
    EXPECT_FALSE(core::startup_approval_disables(std::nullopt));
    EXPECT_FALSE(disables({core::kStartupApprovalEnabled.begin(), core::kStartupApprovalEnabled.end()}));
    EXPECT_FALSE(disables({0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // 03 and the time of the change; unreported forms and an empty value count as off.
    EXPECT_TRUE(disables({0x03, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 0x01}));
    EXPECT_TRUE(disables({0x00, 0, 0, 0}));
    EXPECT_TRUE(disables({}));
}

}  // namespace
