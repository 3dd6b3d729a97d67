#include "tools/wallpkg/key_files.h"

#include <algorithm>

#include "core/startup/instance.h"
#include "core/text/hex.h"
#include "tools/wallpkg/file_io.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace wallpkg {
namespace {

constexpr std::size_t kKeyHexDigits = 64;
// A key file is one line; anything bigger is not a key file.
constexpr std::uint64_t kMaxKeyFileBytes = 1024;

bool is_lower_hex(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

core::Result<core::Ed25519Seed> read_secret_file(const std::filesystem::path& path) {
    const auto bytes = read_file(path, kMaxKeyFileBytes);
    if (!bytes) return std::unexpected(bytes.error());
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (text.ends_with('\n')) text.remove_suffix(1);
    if (text.size() != kKeyHexDigits || !is_lower_hex(text)) {
        const std::u8string name = path.u8string();
        return std::unexpected(core::Error("secret key file must hold 64 lowercase hexadecimal digits")
                                   .context(std::string(name.begin(), name.end())));
    }
    const auto decoded = core::hex_decode(text).value();
    core::Ed25519Seed seed{};
    std::copy(decoded.begin(), decoded.end(), seed.begin());
    return seed;
}

core::Status write_key_file(const std::filesystem::path& path, const std::string& hex, bool secret) {
    const std::string line = hex + "\n";
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return core::fail("will not overwrite " + std::string(reinterpret_cast<const char*>(path.u8string().c_str())));
    }
#if !defined(_WIN32)
    // The secret is readable by its owner only from the moment it exists.
    const mode_t previous = ::umask(secret ? 077 : 022);
#else
    (void)secret;
#endif
    const auto written = write_file(path, {reinterpret_cast<const std::uint8_t*>(line.data()), line.size()});
#if !defined(_WIN32)
    ::umask(previous);
#endif
    return written;
}

core::Result<core::Ed25519PublicKey> parse_public_key(std::string_view hex) {
    const auto key = core::parse_publisher_key(hex);
    if (!key) return std::unexpected(key.error());
    return key->bytes;
}

}  // namespace wallpkg
