// Real mouse presses, made at the X server, reaching the shipped program's page as
// "click" events: on the desktop behind the icons and on the preview window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/shell/commands.h"
#include "desktop_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::DesktopPlayerTest;
using e2e::wait_until;
using e2e::press_at;

constexpr auto kTimeout = 30s;

struct Click {
    double x = -1;
    double y = -1;
};

// window.__tessaryDispatch("click",{"x":...,"y":...});
Click parse_click(const std::string& script) {
    Click click;
    const std::size_t x = script.find("\"x\":");
    const std::size_t y = script.find("\"y\":");
    if (x != std::string::npos) click.x = std::strtod(script.c_str() + x + 4, nullptr);
    if (y != std::string::npos) click.y = std::strtod(script.c_str() + y + 4, nullptr);
    return click;
}

// Sets the mouse-button swap that a program reads when it starts, and puts it back.
class SwappedButtons {
public:
    SwappedButtons() { set(L"1"); }
    ~SwappedButtons() { set(L"0"); }

private:
    static void set(const wchar_t* value) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Mouse", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                    &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, L"SwapMouseButtons", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
};

class DesktopInputTest : public DesktopPlayerTest {
protected:
    // Presses and waits until the page got the expected number of clicks in all; a press
    // that must not count is given time to arrive before the count is checked.
    void press_expecting(int x, int y, int button, std::size_t clicks) {
        press_at(x, y, button);
        wait_until([&] { return click_events().size() >= clicks; }, clicks > click_events().size() ? kTimeout : 1500ms);
        ASSERT_EQ(click_events().size(), clicks) << "press at " << x << "," << y << " button " << button;
    }
    Click last_click() const { return parse_click(click_events().back()); }
};

TEST_F(DesktopInputTest, PressesOnTheDesktopReachThePageNormalisedToThePrimaryMonitor) {
    explorer_.start({"--layout=newer"});
    start_player();
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout)) << log_text();
    // The user put the control window away; the desktop is in front, as after the user
    // clicked it once.
    ASSERT_TRUE(::ShowWindow(::FindWindowW(L"Tessary.Panel", nullptr), SW_MINIMIZE));
    const HWND progman = explorer_.handle("progman");
    ::SetForegroundWindow(progman);
    test::pump_messages(300ms);

    // On the icons, at the centre and at both far corners of the primary monitor.
    // The virtual display is one monitor of W × H at the origin.
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(w % 4 == 0 && h % 4 == 0);
    press_expecting(w / 2, h / 2, 1, 1);
    EXPECT_DOUBLE_EQ(last_click().x, 0.5);
    EXPECT_DOUBLE_EQ(last_click().y, 0.5);
    press_expecting(0, 0, 1, 2);
    EXPECT_DOUBLE_EQ(last_click().x, 0.0);
    EXPECT_DOUBLE_EQ(last_click().y, 0.0);
    press_expecting(w - 1, h - 1, 1, 3);
    EXPECT_DOUBLE_EQ(last_click().x, (w - 1.0) / w);
    EXPECT_DOUBLE_EQ(last_click().y, (h - 1.0) / h);
    EXPECT_LT(last_click().x, 1.0);

    // The secondary button is not a click.
    press_expecting(400, 400, 3, 3);

    // Another program's window lying over the desktop takes its presses.
    const HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 400, 300,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetForegroundWindow(other);
    test::pump_messages(300ms);
    press_expecting(400, 350, 1, 3);
    ::DestroyWindow(other);

    // While paused nothing counts, not even on the desktop.
    ::SetForegroundWindow(progman);
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_log("state paused=true", kTimeout));
    press_expecting(w / 2, h / 2, 1, 3);
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_log("state paused=false fps=60\n", kTimeout, log_text().find("state paused=true")));
    ::SetForegroundWindow(progman);
    test::pump_messages(300ms);
    press_expecting(w / 4, h / 4, 1, 4);
    EXPECT_DOUBLE_EQ(last_click().x, 0.25);
    EXPECT_DOUBLE_EQ(last_click().y, 0.25);

    // Input injected by another program reaches the raw-input sink as well.
    e2e::send_press_at(w / 4 * 3, h / 4 * 3);
    ASSERT_TRUE(wait_until([&] { return click_events().size() == 5; }, kTimeout));
    EXPECT_DOUBLE_EQ(last_click().x, 0.75);
    EXPECT_DOUBLE_EQ(last_click().y, 0.75);
    exit_player();
}

// With swapped buttons the physical right button is the primary one; in preview the
// page gets the click for presses on its own window.
TEST_F(DesktopInputTest, WithSwappedButtonsOnlyTheRightButtonClicksThePreview) {
    const SwappedButtons swapped;
    start_player({"--preview"});
    const HWND host = host_window();
    ASSERT_NE(host, nullptr);
    ::SetForegroundWindow(host);
    test::pump_messages(300ms);
    RECT client{};
    ::GetClientRect(host, &client);
    const POINT inside{client.right / 4, client.bottom / 3};
    POINT screen = inside;
    ::ClientToScreen(host, &screen);

    press_expecting(screen.x, screen.y, 1, 0);
    press_expecting(screen.x, screen.y, 3, 1);
    EXPECT_DOUBLE_EQ(last_click().x, static_cast<double>(inside.x) / client.right);
    EXPECT_DOUBLE_EQ(last_click().y, static_cast<double>(inside.y) / client.bottom);
    exit_player();
}

}  // namespace
