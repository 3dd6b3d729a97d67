#include "core/controls/panel_content.h"

#include <gtest/gtest.h>

#include "core/controls/panel_texts.h"
#include "core/library/library.h"
#include "core/shell/status_text.h"

namespace {

using core::PanelContent;
using core::PanelInputs;
using core::StatusTone;

constexpr std::string_view kDesktopDetailText =
    "点击下方列表即可切换作品，互动方式以作品内容为准。可以最小化此窗口；关闭此窗口即可退出。";

PanelInputs playing_on_desktop() {
    PanelInputs inputs;
    inputs.wallpaper_name = "Aurora";
    inputs.library_empty = false;
    inputs.ready = true;
    inputs.host_exists = true;
    inputs.webview_exists = true;
    inputs.desktop_mounted = true;
    inputs.host_visible = true;
    inputs.desktop_wanted = true;
    return inputs;
}

PanelInputs playing_in_preview(bool desktop_wanted) {
    PanelInputs inputs = playing_on_desktop();
    inputs.desktop_mounted = false;
    inputs.desktop_wanted = desktop_wanted;
    return inputs;
}

TEST(PanelContentEmptyLibrary, ShowsTheLibraryTitleTheEmptyTextsAndDisablesEveryPlaybackButton) {
    PanelInputs inputs;
    inputs.library_empty = true;
    const PanelContent content = core::panel_content(inputs);
    EXPECT_EQ(content.title, "Tessary · 壁纸库");
    EXPECT_EQ(content.status, "壁纸库还没有作品");
    EXPECT_EQ(content.detail, "请安装壁纸，或完整解压含 wallpapers 文件夹的便携版后运行。");
    EXPECT_EQ(content.tone, StatusTone::empty);
    EXPECT_EQ(static_cast<int>(content.tone), 5);
    EXPECT_FALSE(content.desktop_enabled);
    EXPECT_FALSE(content.pause_enabled);
    EXPECT_FALSE(content.preview_enabled);
    EXPECT_EQ(content.desktop_caption, "设为桌面壁纸");
    EXPECT_EQ(content.pause_caption, "暂停");
}

TEST(PanelContentEmptyLibrary, OnlyAppliesWhenNoWallpaperIsCurrent) {
    // A package can play while the library folder holds nothing.
    PanelInputs playing = playing_on_desktop();
    playing.library_empty = true;
    EXPECT_EQ(core::panel_content(playing).tone, StatusTone::desktop);
    EXPECT_TRUE(core::panel_content(playing).desktop_enabled);

    PanelInputs listed;
    listed.library_empty = false;
    const PanelContent content = core::panel_content(listed);
    EXPECT_EQ(content.title, "Tessary · 壁纸库");
    EXPECT_EQ(content.status, "正在打开壁纸…");
    EXPECT_EQ(content.tone, StatusTone::opening);
    EXPECT_TRUE(content.desktop_enabled);
}

TEST(PanelContentStatusText, WinsOverEveryOtherStateWithToneFour) {
    PanelInputs failed = playing_on_desktop();
    failed.failed = true;
    failed.status_text = std::string(core::kResourceFailureStatus);
    PanelContent content = core::panel_content(failed);
    EXPECT_EQ(content.title, "Aurora");
    EXPECT_EQ(content.status, "操作暂时没有完成");
    EXPECT_EQ(content.detail, "壁纸资源未能完整加载。请重新完整解压运行文件夹，再点击“设为桌面壁纸”重试。");
    EXPECT_EQ(content.tone, StatusTone::problem);
    EXPECT_EQ(static_cast<int>(content.tone), 4);
    EXPECT_TRUE(content.desktop_enabled);

    PanelInputs empty;
    empty.status_text = std::string(core::kGenericFailureStatus);
    content = core::panel_content(empty);
    EXPECT_EQ(content.status, "操作暂时没有完成");
    EXPECT_EQ(content.detail, core::kGenericFailureStatus);
    EXPECT_EQ(content.tone, StatusTone::problem);
    EXPECT_TRUE(content.desktop_enabled);

    // Once the text is cleared the same state shows what it really is.
    failed.status_text.reset();
    failed.failed = false;
    EXPECT_EQ(core::panel_content(failed).status, "已经设为桌面壁纸");
}

TEST(PanelContentOpening, APageThatIsNotReadyOrFailedWithoutATextIsStillOpening) {
    PanelInputs loading = playing_on_desktop();
    loading.ready = false;
    PanelContent content = core::panel_content(loading);
    EXPECT_EQ(content.status, "正在打开壁纸…");
    EXPECT_EQ(content.detail, "首次启动可能需要几秒，请稍等。");
    EXPECT_EQ(content.tone, StatusTone::opening);
    EXPECT_EQ(static_cast<int>(content.tone), 3);
    // The host is placed on the desktop while the page loads.
    EXPECT_TRUE(content.on_desktop);
    EXPECT_EQ(content.desktop_caption, "重新设置壁纸");

    PanelInputs failed = playing_on_desktop();
    failed.failed = true;
    EXPECT_EQ(core::panel_content(failed).tone, StatusTone::opening);
    failed.ready = false;
    EXPECT_EQ(core::panel_content(failed).status, "正在打开壁纸…");
}

TEST(PanelContentDesktop, PlayingShowsToneZeroAndAUserPauseToneOneWithTheResumeCaption) {
    PanelInputs inputs = playing_on_desktop();
    PanelContent content = core::panel_content(inputs);
    EXPECT_EQ(content.title, "Aurora");
    EXPECT_EQ(content.status, "已经设为桌面壁纸");
    EXPECT_EQ(content.detail, kDesktopDetailText);
    EXPECT_EQ(content.tone, StatusTone::desktop);
    EXPECT_EQ(static_cast<int>(content.tone), 0);
    EXPECT_TRUE(content.on_desktop);
    EXPECT_FALSE(content.user_paused);
    EXPECT_EQ(content.pause_caption, "暂停");
    EXPECT_EQ(content.desktop_caption, "重新设置壁纸");

    inputs.user_paused = true;
    content = core::panel_content(inputs);
    EXPECT_EQ(content.status, "桌面壁纸已暂停");
    EXPECT_EQ(content.detail, kDesktopDetailText);
    EXPECT_EQ(content.tone, StatusTone::paused);
    EXPECT_EQ(static_cast<int>(content.tone), 1);
    EXPECT_TRUE(content.user_paused);
    EXPECT_EQ(content.pause_caption, "继续播放");
    EXPECT_EQ(content.desktop_caption, "重新设置壁纸");
}

TEST(PanelContentDesktop, OnDesktopNeedsTheHostMountedAndVisible) {
    PanelInputs hidden = playing_on_desktop();
    hidden.host_visible = false;
    EXPECT_FALSE(core::panel_content(hidden).on_desktop);
    EXPECT_EQ(core::panel_content(hidden).status, "还没有设为桌面壁纸");

    PanelInputs no_host = playing_on_desktop();
    no_host.host_exists = false;
    EXPECT_FALSE(core::panel_content(no_host).on_desktop);
    EXPECT_EQ(core::panel_content(no_host).desktop_caption, "设为桌面壁纸");
}

TEST(PanelContentPreview, NotOnTheDesktopIsToneTwoWithTheTextForWhetherTheDesktopIsWanted) {
    PanelContent content = core::panel_content(playing_in_preview(true));
    EXPECT_EQ(content.status, "还没有设为桌面壁纸");
    EXPECT_EQ(content.detail, "当前是窗口预览。点击“设为桌面壁纸”重试；退出后会恢复显示原来的桌面。");
    EXPECT_EQ(content.tone, StatusTone::preview);
    EXPECT_EQ(static_cast<int>(content.tone), 2);
    EXPECT_EQ(content.desktop_caption, "设为桌面壁纸");
    EXPECT_FALSE(content.on_desktop);

    content = core::panel_content(playing_in_preview(false));
    EXPECT_EQ(content.status, "当前是窗口预览");
    EXPECT_EQ(content.detail, "点击“设为桌面壁纸”即可应用到桌面。点击“退出壁纸”或关闭控制窗口即可退出。");
    EXPECT_EQ(content.tone, StatusTone::preview);

    // A user pause in preview changes the caption but not the row.
    PanelInputs paused = playing_in_preview(false);
    paused.user_paused = true;
    content = core::panel_content(paused);
    EXPECT_EQ(content.status, "当前是窗口预览");
    EXPECT_EQ(content.pause_caption, "继续播放");
}

TEST(PanelContentNotice, IsAppendedToTheDetailOfEveryRowAfterALineFeed) {
    const std::optional<std::string> notice = core::library_notice(3);
    PanelInputs inputs = playing_on_desktop();
    inputs.library_notice = notice;
    EXPECT_EQ(core::panel_content(inputs).detail,
              std::string(kDesktopDetailText) + "\n已跳过 3 个未通过验证的作品，详细原因见日志。");

    inputs.status_text = "x";
    EXPECT_EQ(core::panel_content(inputs).detail, "x\n已跳过 3 个未通过验证的作品，详细原因见日志。");

    PanelInputs empty;
    empty.library_notice = notice;
    EXPECT_EQ(core::panel_content(empty).detail,
              "请安装壁纸，或完整解压含 wallpapers 文件夹的便携版后运行。\n已跳过 3 个未通过验证的作品，详细原因见日志。");
    EXPECT_EQ(core::panel_content(empty).status, "壁纸库还没有作品");
}

TEST(PanelContentControls, AreLiveOnlyWithAWallpaperAHostAndItsWebView) {
    for (int mask = 0; mask < 8; ++mask) {
        PanelInputs inputs = playing_on_desktop();
        if ((mask & 1) == 0) inputs.wallpaper_name.reset();
        inputs.host_exists = (mask & 2) != 0;
        inputs.webview_exists = (mask & 4) != 0;
        const PanelContent content = core::panel_content(inputs);
        const bool live = mask == 7;
        EXPECT_EQ(content.controls_live, live) << mask;
        EXPECT_EQ(content.pause_enabled, live) << mask;
        EXPECT_EQ(content.preview_enabled, live) << mask;
        EXPECT_TRUE(content.desktop_enabled) << mask;
    }
}

TEST(PanelContentEquality, ComparesTheSevenShownValues) {
    const PanelContent base = core::panel_content(playing_on_desktop());
    EXPECT_EQ(base, core::panel_content(playing_on_desktop()));

    PanelContent changed = base;
    changed.title = "Tide";
    EXPECT_NE(base, changed);
    changed = base;
    changed.status = "x";
    EXPECT_NE(base, changed);
    changed = base;
    changed.detail += "\n";
    EXPECT_NE(base, changed);
    changed = base;
    changed.tone = StatusTone::paused;
    EXPECT_NE(base, changed);
    changed = base;
    changed.on_desktop = false;
    EXPECT_NE(base, changed);
    changed = base;
    changed.user_paused = true;
    EXPECT_NE(base, changed);
    changed = base;
    changed.controls_live = false;
    EXPECT_NE(base, changed);
}

TEST(PanelContentInitial, IsWhatTheWindowIsCreatedWithAndDiffersFromEveryDerivedContent) {
    const PanelContent initial = core::initial_panel_content();
    EXPECT_EQ(initial.title, "Tessary · 壁纸库");
    EXPECT_EQ(initial.status, "正在打开壁纸…");
    EXPECT_EQ(initial.detail, "稍等片刻，将自动设为桌面壁纸。");
    EXPECT_EQ(initial.pause_caption, "暂停");
    EXPECT_EQ(initial.desktop_caption, "设为桌面壁纸");
    EXPECT_TRUE(initial.desktop_enabled);
    EXPECT_TRUE(initial.pause_enabled);
    EXPECT_TRUE(initial.preview_enabled);

    // The first refresh must always apply, or the buttons keep their created state.
    PanelInputs opening;
    opening.library_empty = false;
    EXPECT_NE(core::panel_content(opening), initial);
    opening.host_exists = true;
    EXPECT_NE(core::panel_content(opening), initial);
}

}  // namespace
