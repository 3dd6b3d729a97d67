#include "player/win32/file_write.h"

#include <algorithm>

#include "player/win32/system_error.h"

namespace win32 {

core::Status write_all(HANDLE file, std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMaxChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return std::unexpected(last_error());
        if (written == 0) return std::unexpected(system_error(ERROR_WRITE_FAULT));
        done += written;
    }
    return {};
}

}  // namespace win32
