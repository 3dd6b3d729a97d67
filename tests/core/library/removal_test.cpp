#include "core/library/removal.h"

#include <gtest/gtest.h>

namespace {

using core::LibraryEntry;
using core::RecycleOutcome;

const std::vector<LibraryEntry> kThree = {{"alpha", "A", "L\\alpha"}, {"beta", "B", "L\\beta"}, {"gamma", "C", "L\\gamma"}};

TEST(RemovalTexts, InstructionAndContentAreBuiltFromTheFixedTexts) {
    EXPECT_EQ(core::removal_instruction("海边"), "删除「海边」？");
    EXPECT_EQ(core::removal_instruction(""), "删除「」？");
    EXPECT_EQ(core::removal_content(""), "作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。");
    EXPECT_EQ(core::removal_content(core::kRemovalNextLine),
              "作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。\n删除后会自动换成下一个壁纸。");
    EXPECT_EQ(core::removal_content(core::kRemovalEmptyLine),
              "作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。\n"
              "删除后壁纸库会是空的，桌面恢复原来的样子。");
}

TEST(RemovalTexts, TheMessageBoxTextPutsAnEmptyLineBetweenInstructionAndContent) {
    EXPECT_EQ(core::removal_message_text("Rain", ""),
              "删除「Rain」？\n\n作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。");
    EXPECT_EQ(core::removal_message_text("Rain", core::kRemovalNextLine),
              "删除「Rain」？\n\n作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。\n"
              "删除后会自动换成下一个壁纸。");
}

TEST(RemovalTexts, TheDialogFrameAndButtonsAreFixed) {
    EXPECT_EQ(core::kRemovalTitle, "Tessary · 删除壁纸");
    EXPECT_EQ(core::kRemovalConfirmCaption, "移到回收站");
    EXPECT_EQ(core::kRemovalCancelCaption, "取消");
    EXPECT_EQ(core::kRemovalConfirmButton, 100);
    EXPECT_EQ(core::kRemovalCancelButton, 2);
}

TEST(RemovalExtraLine, OnlyThePlayingWallpaperGetsOneAndItDependsOnTheNeighbour) {
    EXPECT_EQ(core::removal_extra_line(true, true), "删除后会自动换成下一个壁纸。");
    EXPECT_EQ(core::removal_extra_line(true, false), "删除后壁纸库会是空的，桌面恢复原来的样子。");
    EXPECT_EQ(core::removal_extra_line(false, true), "");
    EXPECT_EQ(core::removal_extra_line(false, false), "");
}

TEST(RemovalNeighbour, TheEntryAfterComesFirstThenTheOneBeforeThenNone) {
    EXPECT_EQ(core::removal_neighbour(kThree, 0)->id, "beta");
    EXPECT_EQ(core::removal_neighbour(kThree, 1)->id, "gamma");
    EXPECT_EQ(core::removal_neighbour(kThree, 2)->id, "beta");
    EXPECT_EQ(core::removal_neighbour({kThree[1]}, 0), std::nullopt);
    const std::vector<LibraryEntry> two = {kThree[0], kThree[2]};
    EXPECT_EQ(core::removal_neighbour(two, 1), kThree[0]);
    // An index that names no entry has no neighbours.
    EXPECT_EQ(core::removal_neighbour({}, 0), std::nullopt);
    EXPECT_EQ(core::removal_neighbour(kThree, 3), std::nullopt);
}

TEST(RemovalLookup, TheFirstEntryWithTheExactIdIsFound) {
    EXPECT_EQ(core::find_entry_index(kThree, "beta"), 1u);
    EXPECT_EQ(core::find_entry_index(kThree, "Beta"), std::nullopt);
    EXPECT_EQ(core::find_entry_index(kThree, "bet"), std::nullopt);
    EXPECT_EQ(core::find_entry_index({}, "beta"), std::nullopt);
    const std::vector<LibraryEntry> twice = {{"a", "1", "x"}, {"a", "2", "y"}};
    EXPECT_EQ(core::find_entry_index(twice, "a"), 0u);
}

TEST(RecycleClassification, ANonZeroShellCodeIsAnErrorWhateverElseHappened) {
    for (const bool aborted : {false, true}) {
        for (const bool exists : {false, true}) {
            const auto result = core::classify_recycle_result(32, aborted, exists);
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error().message(), "壁纸没有移到回收站（代码 32）。请关闭正在使用该文件夹的程序后重试。");
        }
    }
    const auto negative = core::classify_recycle_result(-2147467259, false, true);
    ASSERT_FALSE(negative);
    EXPECT_EQ(negative.error().message(),
              "壁纸没有移到回收站（代码 -2147467259）。请关闭正在使用该文件夹的程序后重试。");
}

TEST(RecycleClassification, ASuccessfulCallIsJudgedByTheAbortFlagAndTheFolder) {
    EXPECT_EQ(core::classify_recycle_result(0, false, false), RecycleOutcome::moved);
    EXPECT_EQ(core::classify_recycle_result(0, true, true), RecycleOutcome::not_moved);

    const auto gone_after_abort = core::classify_recycle_result(0, true, false);
    ASSERT_FALSE(gone_after_abort);
    EXPECT_EQ(gone_after_abort.error().message(),
              "壁纸没有移到回收站（代码 0）。请关闭正在使用该文件夹的程序后重试。");

    const auto still_there = core::classify_recycle_result(0, false, true);
    ASSERT_FALSE(still_there);
    EXPECT_EQ(still_there.error().message(), "壁纸文件夹仍然存在，请稍后重试");
}

}  // namespace
