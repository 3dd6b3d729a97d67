#include "path_recorder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace test {
namespace {

std::vector<std::wstring> g_paths;

// The import table slot through which this program calls a kernel32 function.
void** import_slot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name != 0;
         ++module) {
        if (::_stricmp(reinterpret_cast<const char*>(base + module->Name), "kernel32.dll") != 0) continue;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
                return reinterpret_cast<void**>(&slot->u1.Function);
            }
        }
    }
    return nullptr;
}

void* swap_slot(void** slot, void* replacement) {
    DWORD protection = 0;
    ::VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection);
    void* previous = *slot;
    *slot = replacement;
    ::VirtualProtect(slot, sizeof(void*), protection, &protection);
    return previous;
}

void record(const wchar_t* path) { g_paths.emplace_back(path != nullptr ? path : L""); }


using CreateFileFn = decltype(&::CreateFileW);
using CreateDirectoryFn = decltype(&::CreateDirectoryW);
using MoveFileExFn = decltype(&::MoveFileExW);
using PathOnlyFn = BOOL(WINAPI*)(LPCWSTR);
using GetAttributesFn = decltype(&::GetFileAttributesW);
using GetAttributesExFn = decltype(&::GetFileAttributesExW);
using FindFirstExFn = decltype(&::FindFirstFileExW);

CreateFileFn g_create_file;
CreateDirectoryFn g_create_directory;
MoveFileExFn g_move_file;
PathOnlyFn g_delete_file;
PathOnlyFn g_remove_directory;
GetAttributesFn g_get_attributes;
GetAttributesExFn g_get_attributes_ex;
FindFirstExFn g_find_first;

HANDLE WINAPI create_file(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD creation,
                          DWORD flags, HANDLE from) {
    record(path);
    return g_create_file(path, access, share, security, creation, flags, from);
}
BOOL WINAPI create_directory(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
    record(path);
    return g_create_directory(path, security);
}
BOOL WINAPI move_file(LPCWSTR from, LPCWSTR to, DWORD flags) {
    record(from);
    record(to);
    return g_move_file(from, to, flags);
}
BOOL WINAPI delete_file(LPCWSTR path) {
    record(path);
    return g_delete_file(path);
}
BOOL WINAPI remove_directory(LPCWSTR path) {
    record(path);
    return g_remove_directory(path);
}
DWORD WINAPI get_attributes(LPCWSTR path) {
    record(path);
    return g_get_attributes(path);
}
BOOL WINAPI get_attributes_ex(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
    record(path);
    return g_get_attributes_ex(path, level, data);
}
HANDLE WINAPI find_first(LPCWSTR path, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS search,
                         LPVOID filter, DWORD flags) {
    record(path);
    return g_find_first(path, level, data, search, filter, flags);
}

struct Swap {
    const char* name;
    void* hook;
    void** original;
};

const Swap kSwaps[] = {
    {"CreateFileW", reinterpret_cast<void*>(&create_file), reinterpret_cast<void**>(&g_create_file)},
    {"CreateDirectoryW", reinterpret_cast<void*>(&create_directory), reinterpret_cast<void**>(&g_create_directory)},
    {"MoveFileExW", reinterpret_cast<void*>(&move_file), reinterpret_cast<void**>(&g_move_file)},
    {"DeleteFileW", reinterpret_cast<void*>(&delete_file), reinterpret_cast<void**>(&g_delete_file)},
    {"RemoveDirectoryW", reinterpret_cast<void*>(&remove_directory), reinterpret_cast<void**>(&g_remove_directory)},
    {"GetFileAttributesW", reinterpret_cast<void*>(&get_attributes), reinterpret_cast<void**>(&g_get_attributes)},
    {"GetFileAttributesExW", reinterpret_cast<void*>(&get_attributes_ex),
     reinterpret_cast<void**>(&g_get_attributes_ex)},
    {"FindFirstFileExW", reinterpret_cast<void*>(&find_first), reinterpret_cast<void**>(&g_find_first)},
};

}  // namespace

PathRecorder::PathRecorder() {
    g_paths.clear();
    for (const Swap& swap : kSwaps) {
        void** slot = import_slot(swap.name);
        EXPECT_NE(slot, nullptr) << swap.name;
        if (slot != nullptr) *swap.original = swap_slot(slot, swap.hook);
    }
}

PathRecorder::~PathRecorder() {
    for (const Swap& swap : kSwaps) {
        if (void** slot = import_slot(swap.name); slot != nullptr && *swap.original != nullptr) {
            swap_slot(slot, *swap.original);
            *swap.original = nullptr;
        }
    }
}

const std::vector<std::wstring>& PathRecorder::paths() const { return g_paths; }

}  // namespace test
