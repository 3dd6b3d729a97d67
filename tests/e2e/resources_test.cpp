#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "player/win32/wide.h"
#include "player_fixture.h"

namespace {

HMODULE load_as_data(const std::string& program) {
    return ::LoadLibraryExW(win32::to_wide(program).value().c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

std::string resource_of(HMODULE module, LPCWSTR type, LPCWSTR name) {
    const HRSRC found = ::FindResourceW(module, name, type);
    if (found == nullptr) return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    const auto* bytes = static_cast<const char*>(::LockResource(loaded));
    return std::string(bytes, ::SizeofResource(module, found));
}

// Wine runs the program the same with or without its manifest, so the embedded
// resources are checked directly.
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = load_as_data(e2e::PlayerTest::built_program());
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { ::FreeLibrary(module_); }

    std::string resource(LPCWSTR type, LPCWSTR name) const { return resource_of(module_, type, name); }

    HMODULE module_ = nullptr;
};

TEST_F(ProgramResources, ManifestDeclaresDpiControlsPrivilegeAndWindows10) {
    const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    for (const char* needle : {"name=\"Tessary.Player\"", ">PerMonitorV2<", "Microsoft.Windows.Common-Controls",
                               "version=\"6.0.0.0\"", "level=\"asInvoker\"",
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
    }
}

// Every program the build makes, test programs included: on Windows a test program without
// the manifest gets common controls 5 (no task dialog) and no DPI awareness, and tests
// something other than what ships. The build lists its programs by their Linux paths.
TEST_F(ProgramResources, EveryProgramOfTheBuildEmbedsThePlayersManifest) {
    const std::string players = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(players.empty());
    std::istringstream listed(test::read_file(TESSARY_WINDOWS_PROGRAMS));
    std::vector<std::string> programs;
    for (std::string line; std::getline(listed, line);) {
        if (line.empty()) continue;
        for (char& c : line) c = c == '/' ? '\\' : c;
        programs.push_back("Z:" + line);
    }
    for (const char* expected : {"\\player_tests.exe", "\\core_tests.exe", "\\e2e_tests.exe", "\\explorer_standin.exe",
                                 "\\wallpkg.exe", "\\tessary_test_player.exe"}) {
        EXPECT_TRUE(std::ranges::any_of(programs, [&](const std::string& p) { return p.ends_with(expected); }))
            << expected;
    }
    for (const std::string& program : programs) {
        const HMODULE module = load_as_data(program);
        ASSERT_NE(module, nullptr) << program;
        EXPECT_EQ(resource_of(module, RT_MANIFEST, MAKEINTRESOURCEW(1)), players) << program;
        ::FreeLibrary(module);
    }
}

TEST_F(ProgramResources, IconOneHasImagesAt16_32And48Pixels) {
    ASSERT_FALSE(resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1)).empty());
    for (const int size : {16, 32, 48}) {
        const HANDLE icon = ::LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST(ProgramImage, IsAGuiProgramWithoutMinGwRuntimeDlls) {
    const std::string exe = test::read_file(e2e::PlayerTest::built_program());
    ASSERT_GT(exe.size(), 0x200u);
    const auto pe = *reinterpret_cast<const std::uint32_t*>(exe.data() + 0x3C);
    const auto* optional_header = reinterpret_cast<const IMAGE_OPTIONAL_HEADER64*>(exe.data() + pe + 24);
    EXPECT_EQ(optional_header->Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(optional_header->Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    for (const char* dll : {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll", "libgcrypt-20.dll",
                            "zlib1.dll"}) {
        EXPECT_EQ(exe.find(dll), std::string::npos) << dll;
    }
}

// The version resource and the start-up line come from one value; a stale generated
// file or a hand-edited resource would make them disagree.
class ProgramVersion : public e2e::PlayerTest {
protected:
    std::string version_value(const std::wstring& name) const {
        const std::wstring program = win32::to_wide(exe()).value();
        DWORD ignored = 0;
        std::vector<std::byte> block(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
        if (block.empty() || !::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
            return {};
        }
        void* value = nullptr;
        UINT length = 0;
        const std::wstring query = L"\\StringFileInfo\\080404b0\\" + name;
        if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return {};
        return win32::to_utf8(std::wstring(static_cast<const wchar_t*>(value), length - 1)).value();
    }

    std::string fixed_version() const {
        const std::wstring program = win32::to_wide(exe()).value();
        DWORD ignored = 0;
        std::vector<std::byte> block(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
        if (block.empty() || !::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
            return {};
        }
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length)) return {};
        return std::to_string(HIWORD(info->dwProductVersionMS)) + "." + std::to_string(LOWORD(info->dwProductVersionMS)) +
               "." + std::to_string(HIWORD(info->dwProductVersionLS));
    }
};

TEST_F(ProgramVersion, ResourceAndStartupLineAgreeAndTheShippedProgramIsStripped) {
    start_and_exit();
    const std::string log = log_text();
    const std::string marker = "startup version=";
    const std::size_t at = log.find(marker);
    ASSERT_NE(at, std::string::npos) << log;
    const std::string started = log.substr(at + marker.size(), log.find(' ', at + marker.size()) - at - marker.size());
    EXPECT_FALSE(started.empty());
    EXPECT_EQ(version_value(L"ProductVersion"), started);
    EXPECT_EQ(version_value(L"FileVersion"), started);
    EXPECT_EQ(fixed_version(), started);
    EXPECT_EQ(version_value(L"OriginalFilename"), "tessary.exe");

    // The program that just ran is the one that ships: its debug information lives in
    // tessary.exe.debug beside it, named by a debug link.
    const std::string program = test::read_file(built_program());
    EXPECT_EQ(program.find(".debug_info"), std::string::npos);
    EXPECT_NE(program.find("tessary.exe.debug"), std::string::npos);
    const std::string debug = test::read_file(built_program() + ".debug");
    EXPECT_NE(debug.find(".debug_info"), std::string::npos);
    EXPECT_GT(debug.size(), program.size());
}

}  // namespace
