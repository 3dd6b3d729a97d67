#pragma once

#include <cstdint>
#include <string>

namespace core {

// ".tessary-import-<process id>-<start nanoseconds>-<counter>": process id, time and a
// process-wide counter together keep two installations from ever sharing a folder.
std::string staging_folder_name(std::uint64_t process_id, std::uint64_t start_nanoseconds, std::uint64_t counter);

// Attempts at a fresh staging name before an installation gives up.
inline constexpr int kStagingNameAttempts = 16;

}  // namespace core
