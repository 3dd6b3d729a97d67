// Rebuilds a library of 128 wallpapers of about 2 MiB each and compares it, in the same
// process and run, with a plain loop that reads the same files. Prints both times and
// their ratio over several paired rounds; the goal is a ratio of at most 1.25.
//
// The rebuild keeps no asset bytes and reads every file through one reused buffer, which
// spares it the plain loop's fresh memory for each file. A third loop reads the same way,
// one buffer for all files, to show what the rebuild's own checks cost on top of reading.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "player/library/library.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace {

constexpr int kWallpapers = 128;
constexpr int kRounds = 21;

// One wallpaper's files: about 2 MiB in four assets, in sub-folders as wallpapers usually
// have them, or all beside the manifest. Every folder costs the rebuild a listing that the
// plain read does not have, so both layouts are measured.
struct FileSpec {
    const char* path;
    std::size_t size;
};
struct Layout {
    const char* name;
    std::vector<const char*> folders;
    std::vector<FileSpec> assets;
};
const Layout kLayouts[] = {
    {"nested (root, js, img)",
     {"js", "img"},
     {{"index.html", 4 * 1024}, {"js\\app.js", 300 * 1024}, {"img\\sky.webp", 700 * 1024},
      {"img\\sea.webp", 1044 * 1024}}},
    {"flat (root only)",
     {},
     {{"index.html", 4 * 1024}, {"app.js", 300 * 1024}, {"sky.webp", 700 * 1024}, {"sea.webp", 1044 * 1024}}},
};

bool write_file(const std::string& path, const std::string& bytes) {
    const win32::unique_file file(::CreateFileW(win32::to_wide(path).value().c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool make_folder(const std::string& path) { return ::CreateDirectoryW(win32::to_wide(path).value().c_str(), nullptr); }

// The plain loop's way to read a file: open, size, one read into a fresh buffer.
std::size_t read_plain(const std::string& path) {
    const win32::unique_file file(::CreateFileW(win32::to_wide(path).value().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    return read;
}

// The same read into one buffer that grows to the largest file and is reused.
std::size_t read_plain_reusing(const std::string& path, std::vector<std::uint8_t>& buffer) {
    const win32::unique_file file(::CreateFileW(win32::to_wide(path).value().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    if (buffer.size() < static_cast<std::size_t>(size.QuadPart)) buffer.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr);
    return read;
}

void remove_tree(const std::string& path) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW(win32::to_wide(player::join_path(path, "*")).value().c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::string child = player::join_path(path, win32::to_utf8(name).value());
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(child);
            } else {
                ::DeleteFileW(win32::to_wide(child).value().c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(win32::to_wide(path).value().c_str());
}

template <class F>
double milliseconds(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}


double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Builds the library in the layout, measures it and removes it again; false on failure.
bool measure(const Layout& layout) {
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::string data = player::join_path(win32::to_utf8(temp).value(),
                                               "tessary-library-bench-" + std::to_string(::GetCurrentProcessId()));
    const std::string library = player::join_path(data, "library");
    make_folder(data);
    make_folder(library);
    const auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "%s\n", why.c_str());
        remove_tree(data);
        return false;
    };

    std::vector<std::string> files;
    std::uint64_t total = 0;
    for (int i = 0; i < kWallpapers; ++i) {
        const std::string id = "wallpaper-" + std::to_string(1000 + i);
        const std::string folder = player::join_path(library, id);
        make_folder(folder);
        for (const char* sub : layout.folders) make_folder(player::join_path(folder, sub));
        const std::string manifest = "{\n  \"id\": \"" + id + "\",\n  \"name\": \"Bench " + std::to_string(i) +
                                     "\",\n  \"version\": 1,\n  \"entry\": \"index.html\",\n  \"fps\": 30\n}";
        write_file(player::join_path(folder, "manifest.json"), manifest);
        files.push_back(player::join_path(folder, "manifest.json"));
        for (const FileSpec& asset : layout.assets) {
            std::string bytes(asset.size, '\0');
            for (std::size_t b = 0; b < bytes.size(); ++b) bytes[b] = static_cast<char>((b * 31 + i) & 0x7f);
            const std::string path = player::join_path(folder, asset.path);
            if (!write_file(path, bytes)) return fail("cannot write " + path);
            files.push_back(path);
            total += asset.size;
        }
    }

    // One untimed pass of each, so both start from the same warm cache.
    for (const std::string& path : files) read_plain(path);
    const player::Library warm = player::reload_library(data);
    if (warm.entries.size() != kWallpapers || warm.notice) return fail("the library did not verify");

    // Paired rounds, taking turns at going first: the ratio of each pair is little
    // affected by the load other programs put on the machine while the pair ran.
    std::vector<double> plain_times;
    std::vector<double> rebuild_times;
    std::vector<double> reusing_times;
    std::vector<double> ratios;
    std::vector<double> reusing_ratios;
    std::vector<std::uint8_t> buffer;
    for (int round = 0; round < kRounds; ++round) {
        std::uint64_t read = 0;
        std::uint64_t reread = 0;
        std::size_t entries = 0;
        const auto plain = [&] {
            return milliseconds([&] {
                for (const std::string& path : files) read += read_plain(path);
            });
        };
        const auto rebuild = [&] { return milliseconds([&] { entries = player::reload_library(data).entries.size(); }); };
        const auto reusing = [&] {
            return milliseconds([&] {
                for (const std::string& path : files) reread += read_plain_reusing(path, buffer);
            });
        };
        double plain_ms = 0;
        double rebuild_ms = 0;
        if (round % 2 == 0) {
            plain_ms = plain();
            rebuild_ms = rebuild();
        } else {
            rebuild_ms = rebuild();
            plain_ms = plain();
        }
        const double reusing_ms = reusing();
        if (entries != kWallpapers || read < total || reread < total) return fail("a round did not read everything");
        plain_times.push_back(plain_ms);
        rebuild_times.push_back(rebuild_ms);
        reusing_times.push_back(reusing_ms);
        ratios.push_back(rebuild_ms / plain_ms);
        reusing_ratios.push_back(rebuild_ms / reusing_ms);
    }
    remove_tree(data);

    std::printf("%s: %d wallpapers, %zu files, %.1f MiB\n", layout.name, kWallpapers, files.size(),
                static_cast<double>(total) / (1024.0 * 1024.0));
    std::printf("  plain read:      %8.1f ms (median of %d rounds, best %.1f)\n", median(plain_times), kRounds,
                *std::min_element(plain_times.begin(), plain_times.end()));
    std::printf("  library rebuild: %8.1f ms (median of %d rounds, best %.1f)\n", median(rebuild_times), kRounds,
                *std::min_element(rebuild_times.begin(), rebuild_times.end()));
    std::printf("  ratio:           %8.2f (median of the rounds' ratios; goal <= 1.25)\n", median(ratios));
    std::printf("  one-buffer read: %8.1f ms (median; rebuild / this: %.2f)\n", median(reusing_times),
                median(reusing_ratios));
    return true;
}

}  // namespace

int main() {
    for (const Layout& layout : kLayouts) {
        if (!measure(layout)) return 1;
    }
    return 0;
}
