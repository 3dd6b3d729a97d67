#include "standin_fixture.h"

#include <windows.h>

#include <cstdlib>

#include "player/library/paths.h"
#include "player/win32/wide.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
constexpr auto kStartTimeout = 60s;

std::string standin_dll() {
    return player::join_path(test::test_program_folder(), "..\\webview2_standin\\WebView2Loader.dll");
}

std::string test_logs_folder() { return player::join_path(test::test_program_folder(), "..\\..\\..\\test-logs"); }

}  // namespace

void StandInPlayerTest::SetUp() {
    if (std::getenv("TESSARY_STANDIN_RELAY") == nullptr) GTEST_SKIP() << "the stand-in relay is not running";
    ASSERT_TRUE(::CopyFileW(win32::to_wide(standin_dll()).value().c_str(),
                            win32::to_wide(root_ / "Tessary\\WebView2Loader.dll").value().c_str(), FALSE));
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    standin_log_path_ = root_ / ("standin-" + name + ".log");
    configure();
}

void StandInPlayerTest::TearDown() {
    stop_player();
    if (standin_log_path_.empty()) return;
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ::CopyFileW(win32::to_wide(standin_log_path_).value().c_str(),
                win32::to_wide(player::join_path(test_logs_folder(), "standin-" + name + ".log")).value().c_str(),
                FALSE);
    ::CopyFileW(win32::to_wide(player::join_path(data_folder(), "player.log")).value().c_str(),
                win32::to_wide(player::join_path(test_logs_folder(), "standin-" + name + ".player.log")).value().c_str(),
                FALSE);
}

void StandInPlayerTest::configure(const std::vector<std::string>& faults) {
    std::string text = "relay=" + std::string(std::getenv("TESSARY_STANDIN_RELAY")) + "\nlog=" + standin_log_path_ + "\n";
    for (const std::string& fault : faults) text += fault + "\n";
    test::write_file(root_ / "Tessary\\webview2-standin.ini", text);
}

void StandInPlayerTest::add_test_wallpaper(const std::string& name) {
    if (!test::exists(root_ / "Tessary\\wallpapers")) test::make_folder(root_ / "Tessary\\wallpapers");
    test::copy_tree(std::string(TESSARY_STANDIN_PAGES) + "\\" + name, root_ / ("Tessary\\wallpapers\\" + name));
}

void StandInPlayerTest::start_player(std::vector<std::string> args, test::Environment environment) {
    player_.emplace(start(std::move(args), std::move(environment)));
    window_ = find_player_window(kStartTimeout);
    ASSERT_NE(window_, nullptr) << logs();
}

void StandInPlayerTest::stop_player() {
    if (!player_) return;
    start({"--exit"}).wait(kStartTimeout);
    player_->wait(kStartTimeout);
    player_.reset();
}

void StandInPlayerTest::command(unsigned number) { ASSERT_TRUE(::PostMessageW(window_, WM_COMMAND, number, 0)); }

std::string StandInPlayerTest::standin_log() const {
    if (!test::exists(standin_log_path_)) return {};
    return test::read_file(standin_log_path_);
}

std::size_t StandInPlayerTest::count_in_standin(const std::string& text, std::size_t from) const {
    const std::string log = standin_log();
    std::size_t count = 0;
    for (std::size_t at = log.find(text, from); at != std::string::npos; at = log.find(text, at + text.size())) ++count;
    return count;
}

bool StandInPlayerTest::wait_for_standin(const std::string& text, std::chrono::milliseconds timeout,
                                         std::size_t from) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeout.count();
    while (::GetTickCount64() < deadline) {
        if (standin_log().find(text, from) != std::string::npos) return true;
        test::pump_messages(100ms);
    }
    return false;
}

std::string StandInPlayerTest::last_standin_line(const std::string& prefix) const {
    const std::string log = standin_log();
    const std::size_t at = log.rfind("\n" + prefix);
    const std::size_t start = at == std::string::npos ? (log.starts_with(prefix) ? 0 : std::string::npos) : at + 1;
    if (start == std::string::npos) return {};
    const std::size_t end = log.find('\n', start);
    return log.substr(start + prefix.size(), end == std::string::npos ? std::string::npos : end - start - prefix.size());
}

std::string StandInPlayerTest::logs() const {
    return "player.log:\n" + log_text() + "\nstand-in log:\n" + standin_log();
}

}  // namespace e2e
