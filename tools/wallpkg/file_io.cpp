#include "tools/wallpkg/file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

namespace wallpkg {
namespace {

core::Error io_error(const std::filesystem::path& path, const std::string& what) {
    const int code = errno;
    std::string text = what + " " + reinterpret_cast<const char*>(path.u8string().c_str());
    if (code != 0) text += ": " + std::string(std::strerror(code));
    return core::Error(text);
}

std::string utf8_of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::filesystem::path path_from_utf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

core::Result<core::Bytes> read_file(const std::filesystem::path& path, std::uint64_t limit) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::unexpected(io_error(path, "cannot open"));
    core::Bytes bytes;
    constexpr std::size_t kChunk = 1 << 20;
    while (true) {
        const std::size_t old = bytes.size();
        bytes.resize(old + kChunk);
        in.read(reinterpret_cast<char*>(bytes.data() + old), kChunk);
        bytes.resize(old + static_cast<std::size_t>(in.gcount()));
        // The limit's own text, named by the file it is about.
        if (bytes.size() > limit) return std::unexpected(core::Error("file too large").context(utf8_of(path)));
        if (in.eof()) break;
        if (!in) return std::unexpected(io_error(path, "cannot read"));
    }
    return bytes;
}

core::Status write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::path temporary = path;
    temporary += ".partial";
    errno = 0;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return std::unexpected(io_error(temporary, "cannot create"));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return std::unexpected(io_error(temporary, "cannot write"));
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return core::fail("cannot write " + std::string(reinterpret_cast<const char*>(path.u8string().c_str())));
    }
    return {};
}

}  // namespace wallpkg
