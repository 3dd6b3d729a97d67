// read_handoff_record on arbitrary bytes, as another process may send them. An accepted
// record must be exactly what handoff_record writes for its id, and the id must pass
// the rule a requested id passes on the command line (where "--ab", a valid id, cannot
// be given, since it reads as an option).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/shell/handoff.h"
#include "core/startup/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly size bytes, so reading one byte too many is caught.
    const std::vector<std::uint8_t> record(data, data + size);
    const auto id = core::read_handoff_record(record.empty() ? nullptr : record.data(), record.size());
    if (!id) return 0;
    if (core::handoff_record(*id) != std::string(record.begin(), record.end())) __builtin_trap();
    if (!core::validate_requested_id(*id)) __builtin_trap();
    if (!id->starts_with("--")) {
        const auto options = core::parse_startup_options({"--select-wallpaper", *id});
        if (!options || options->select_wallpaper != *id) __builtin_trap();
    }
    return 0;
}
