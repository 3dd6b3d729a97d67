#include "player/shell/autostart.h"
#include "player/shell/autostart_watch.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

#include "player/shell/exe_path.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace {

using player::AutostartEntry;

constexpr std::string_view kReadWrongType = "无法读取开机启动设置（1630）";  // ERROR_UNSUPPORTED_TYPE
constexpr std::string_view kReadTooLong = "无法读取开机启动设置（234）";     // ERROR_MORE_DATA
constexpr std::string_view kConflict = "已有不同位置的 Tessary 启动项，请先在原程序取消开机启动";
constexpr std::string_view kInvalidPath = "启动程序路径无效";

const std::wstring kProgram = L"C:\\Programs\\Tessary 壁纸\\tessary.exe";
const std::string kExpected = "\"C:\\Programs\\Tessary 壁纸\\tessary.exe\" --startup";
const std::wstring kForeign = L"\"D:\\Other copy\\tessary.exe\" --startup";

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RawValue&) const = default;
};

std::vector<BYTE> bytes_of(std::wstring_view text) {
    const auto* data = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(data, data + text.size() * sizeof(wchar_t));
}

// The same text with its terminating zero, as REG_SZ data is meant to be stored.
std::vector<BYTE> sz_bytes(const std::wstring& text) {
    return bytes_of(std::wstring_view(text.c_str(), text.size() + 1));
}

// A Run key of its own under HKEY_CURRENT_USER for every test, deleted with its parent.
class Autostart : public ::testing::Test {
protected:
    Autostart()
        : parent_(L"Software\\Tessary-tests-" + std::to_wstring(::GetCurrentProcessId())),
          subkey_(parent_ + L"\\Run") {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, parent_.c_str());
    }
    ~Autostart() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, parent_.c_str()); }

    AutostartEntry entry(std::optional<std::wstring> program = kProgram) const {
        return AutostartEntry{.root = HKEY_CURRENT_USER,
                              .subkey = subkey_,
                              .value_name = L"Tessary",
                              .approval_subkey = parent_ + L"\\StartupApproved",
                              .program = std::move(program)};
    }

    bool run_key_exists() const {
        win32::unique_hkey key;
        return ::RegOpenKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    }

    // Stores the first `size` bytes (all by default).
    void put(const std::wstring& name, DWORD type, const std::vector<BYTE>& bytes,
             std::optional<std::size_t> size = std::nullopt) const {
        win32::unique_hkey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.get(), name.c_str(), 0, type, bytes.data(),
                                   static_cast<DWORD>(size.value_or(bytes.size()))),
                  ERROR_SUCCESS);
    }

    // REG_SZ data without its terminating zero. The system adds the zero itself when the
    // unit after the data is zero, so the data given to it is followed by a non-zero one.
    void put_unterminated(const std::wstring& text) const {
        put(L"Tessary", REG_SZ, bytes_of(text + L"x"), text.size() * sizeof(wchar_t));
    }

    std::optional<RawValue> raw(const std::wstring& name = L"Tessary") const {
        win32::unique_hkey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        RawValue value;
        DWORD size = 0;
        if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.resize(size);
        EXPECT_EQ(::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, value.bytes.data(), &size),
                  ERROR_SUCCESS);
        return value;
    }

    // Every way in sees the same unreadable value and leaves it as it was.
    void expect_unreadable(std::string_view message) const {
        const auto before = raw();
        const auto read = player::read_autostart_value(entry());
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().message(), message);
        const auto status = player::autostart_status(entry());
        ASSERT_FALSE(status);
        EXPECT_EQ(status.error().message(), message);
        for (const bool wanted : {true, false}) {
            const auto set = player::set_autostart(wanted, entry());
            ASSERT_FALSE(set);
            EXPECT_EQ(set.error().message(), message);
        }
        EXPECT_EQ(raw(), before);
    }

    const std::wstring parent_;
    const std::wstring subkey_;
};

TEST(AutostartEntryDefaults, AreTheCurrentUsersRunValueOfTheRunningProgram) {
    const AutostartEntry entry;
    EXPECT_EQ(entry.root, HKEY_CURRENT_USER);
    EXPECT_EQ(entry.subkey, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_EQ(entry.value_name, L"Tessary");
    EXPECT_FALSE(entry.program);
}

TEST_F(Autostart, CheckingWritesTheQuotedPathAsAZeroTerminatedString) {
    EXPECT_EQ(player::autostart_status(entry()), false);
    ASSERT_TRUE(player::set_autostart(true, entry()));
    const std::wstring expected = win32::to_wide(kExpected).value();
    EXPECT_EQ(raw(), (RawValue{REG_SZ, sz_bytes(expected)}));
    EXPECT_EQ(player::read_autostart_value(entry()), kExpected);
    EXPECT_EQ(player::autostart_status(entry()), true);

    // Checking again rewrites the same value.
    ASSERT_TRUE(player::set_autostart(true, entry()));
    EXPECT_EQ(raw(), (RawValue{REG_SZ, sz_bytes(expected)}));
}

TEST_F(Autostart, WithoutAGivenProgramTheRunningExecutableIsStarted) {
    ASSERT_TRUE(player::set_autostart(true, entry(std::nullopt)));
    const std::string program = player::executable_path().value();
    EXPECT_EQ(player::read_autostart_value(entry()), "\"" + program + "\" --startup");
    EXPECT_EQ(player::expected_autostart_value(entry(std::nullopt)), "\"" + program + "\" --startup");
    EXPECT_EQ(player::autostart_status(entry(std::nullopt)), true);
    // The same key seen by a copy elsewhere is not its entry.
    EXPECT_EQ(player::autostart_status(entry()), false);
}

TEST_F(Autostart, UncheckingRemovesOnlyThisValue) {
    ASSERT_TRUE(player::set_autostart(true, entry()));
    put(L"Other", REG_SZ, sz_bytes(L"other.exe"));
    ASSERT_TRUE(player::set_autostart(false, entry()));
    EXPECT_FALSE(raw());
    EXPECT_EQ(player::read_autostart_value(entry()), std::nullopt);
    EXPECT_EQ(player::autostart_status(entry()), false);
    EXPECT_EQ(raw(L"Other"), (RawValue{REG_SZ, sz_bytes(L"other.exe")}));
}

TEST_F(Autostart, UncheckingWithoutAValueWritesNothing) {
    ASSERT_TRUE(player::set_autostart(false, entry()));
    EXPECT_FALSE(run_key_exists());
    EXPECT_EQ(player::read_autostart_value(entry()), std::nullopt);

    put(L"Other", REG_SZ, sz_bytes(L"other.exe"));
    ASSERT_TRUE(player::set_autostart(false, entry()));
    EXPECT_FALSE(raw());
}

TEST_F(Autostart, AnotherCopysValueIsNeitherOverwrittenNorRemoved) {
    put(L"Tessary", REG_SZ, sz_bytes(kForeign));
    const auto before = raw();
    for (const bool wanted : {true, false}) {
        const auto set = player::set_autostart(wanted, entry());
        ASSERT_FALSE(set);
        EXPECT_EQ(set.error().message(), kConflict);
        EXPECT_EQ(raw(), before);
        EXPECT_EQ(player::autostart_status(entry()), false);
    }
}

TEST_F(Autostart, ExpandableAndOverlongValuesCannotBeRead) {
    put(L"Tessary", REG_EXPAND_SZ, sz_bytes(win32::to_wide(kExpected).value()));
    expect_unreadable(kReadWrongType);
    put(L"Tessary", REG_BINARY, sz_bytes(win32::to_wide(kExpected).value()));
    expect_unreadable(kReadWrongType);

    // 4,096 units and the zero: two bytes past the buffer.
    put(L"Tessary", REG_SZ, sz_bytes(std::wstring(4096, L'a')));
    expect_unreadable(kReadTooLong);
    const auto read = player::read_autostart_value(entry());
    ASSERT_FALSE(read);
    ASSERT_NE(read.error().cause(), nullptr);
    EXPECT_EQ(read.error().cause()->os_code(), ERROR_MORE_DATA);
}

TEST_F(Autostart, TheBufferIsFullAtExactly8192Bytes) {
    put(L"Tessary", REG_SZ, sz_bytes(std::wstring(4095, L'a')));
    EXPECT_EQ(player::read_autostart_value(entry()), std::string(4095, 'a'));
    // Without a terminating zero all 4,096 units are the text.
    put_unterminated(std::wstring(4096, L'b'));
    EXPECT_EQ(player::read_autostart_value(entry()), std::string(4096, 'b'));
}

TEST_F(Autostart, TheTextEndsAtTheFirstZeroAndMustBeUtf16) {
    const std::wstring expected = win32::to_wide(kExpected).value();
    put(L"Tessary", REG_SZ, sz_bytes(expected + std::wstring(1, L'\0') + L"tail"));
    EXPECT_EQ(player::read_autostart_value(entry()), kExpected);
    EXPECT_EQ(player::autostart_status(entry()), true);
    put_unterminated(expected);
    EXPECT_EQ(player::autostart_status(entry()), true);
    put(L"Tessary", REG_SZ, sz_bytes(expected + L" "));
    EXPECT_EQ(player::autostart_status(entry()), false);

    put(L"Tessary", REG_SZ, sz_bytes(std::wstring(L"\"C:\\a") + wchar_t(0xD800) + L".exe\" --startup"));
    expect_unreadable("无法读取开机启动设置（1113）");  // ERROR_NO_UNICODE_TRANSLATION
    EXPECT_EQ(player::read_autostart_value(entry()).error().chain(),
              "无法读取开机启动设置（1113）: invalid UTF-16 text");
}

TEST_F(Autostart, InvalidProgramPathsFailBeforeTheRegistryIsTouched) {
    const std::vector<std::pair<std::wstring, std::string_view>> cases = {
        {L"tessary.exe", kInvalidPath},
        {L"Tessary\\tessary.exe", kInvalidPath},
        {L"C:\\Tess\"ary\\tessary.exe", kInvalidPath},
        {L"C:\\Tess\nary\\tessary.exe", kInvalidPath},
        {std::wstring(L"C:\\Tess") + wchar_t(0x85) + L"ary\\tessary.exe", kInvalidPath},
        {std::wstring(L"C:\\Tess") + wchar_t(0xDC00) + L"ary\\tessary.exe", "程序路径无法写入启动设置"},
    };
    for (const auto& [program, message] : cases) {
        for (const bool wanted : {true, false}) {
            const auto set = player::set_autostart(wanted, entry(program));
            ASSERT_FALSE(set);
            EXPECT_EQ(set.error().message(), message);
        }
        const auto status = player::autostart_status(entry(program));
        ASSERT_FALSE(status);
        EXPECT_EQ(status.error().message(), message);
        EXPECT_FALSE(run_key_exists());
    }
    // Nor is another copy's value touched by a program that cannot be written.
    put(L"Tessary", REG_SZ, sz_bytes(kForeign));
    const auto set = player::set_autostart(false, entry(L"tessary.exe"));
    ASSERT_FALSE(set);
    EXPECT_EQ(set.error().message(), kInvalidPath);
    EXPECT_EQ(raw(), (RawValue{REG_SZ, sz_bytes(kForeign)}));
}

// A non-volatile key cannot be created below a volatile one: the open fails, and nothing
// is written.
TEST_F(Autostart, AKeyThatCannotBeOpenedForWritingIsReported) {
    win32::unique_hkey volatile_parent;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, parent_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, volatile_parent.put(), nullptr),
              ERROR_SUCCESS);
    AutostartEntry below = entry();
    below.root = volatile_parent.get();
    below.subkey = L"Run";
    const auto set = player::set_autostart(true, below);
    ASSERT_FALSE(set);
    EXPECT_EQ(set.error().message(), "无法打开开机启动设置（1021）");  // ERROR_CHILD_MUST_BE_VOLATILE
    EXPECT_EQ(player::autostart_status(below), false);
    EXPECT_TRUE(player::set_autostart(false, below));
}

// Windows' Startup apps switch off for our value, and a flag that cannot be written (its key
// grants reading and deletion only): the registry stays as it was, our value included.
TEST_F(Autostart, AFlagThatCannotBeWrittenLeavesTheRunValueAsItWas) {
    const BYTE off[12] = {0x03};
    win32::unique_hkey key;
    ASSERT_EQ(::RegCreateKeyW(HKEY_CURRENT_USER, entry().approval_subkey.c_str(), key.put()), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), L"Tessary", 0, REG_BINARY, off, sizeof(off)), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR read_only = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)(A;;SD;;;WD)", SDDL_REVISION_1,
                                                                       &read_only, nullptr));
    const win32::unique_local owned(read_only);
    ASSERT_EQ(::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, read_only), ERROR_SUCCESS);
    put(L"Tessary", REG_SZ, sz_bytes(win32::to_wide(kExpected).value()));
    const auto before = raw();
    for (const bool had_value : {true, false}) {
        EXPECT_EQ(player::autostart_status(entry()), false);
        const auto set = player::set_autostart(true, entry());
        ASSERT_FALSE(set);
        EXPECT_EQ(set.error().message(), "无法打开开机启动设置（5）");  // ERROR_ACCESS_DENIED
        EXPECT_EQ(raw(), had_value ? before : std::nullopt);
        ASSERT_TRUE(player::set_autostart(false, entry()));  // the flag is left alone
    }
}

// Another program changing the Run key sets the watch's event once per arming; the event
// loop turns it into an event that sets the switch from the registry again.
TEST_F(Autostart, AWatchSeesChangesMadeElsewhereOncePerArming) {
    EXPECT_FALSE(player::AutostartWatch::open(entry()));  // no Run key yet
    put(L"Other", REG_SZ, sz_bytes(L"other.exe"));
    auto watch = player::AutostartWatch::open(entry());
    ASSERT_TRUE(watch) << watch.error().chain();
    EXPECT_EQ(::WaitForSingleObject(watch->changed(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    put(L"Tessary", REG_SZ, sz_bytes(kForeign));
    EXPECT_EQ(::WaitForSingleObject(watch->changed(), 5000), WAIT_OBJECT_0);
    put(L"Tessary", REG_SZ, sz_bytes(L"\"C:\\x.exe\" --startup"));  // not armed: not seen
    EXPECT_EQ(::WaitForSingleObject(watch->changed(), 200), static_cast<DWORD>(WAIT_TIMEOUT));

    ASSERT_TRUE(watch->arm());
    win32::unique_hkey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, entry().subkey.c_str(), 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(::RegDeleteValueW(key.get(), L"Tessary"), ERROR_SUCCESS);
    EXPECT_EQ(::WaitForSingleObject(watch->changed(), 5000), WAIT_OBJECT_0);
}

}  // namespace
