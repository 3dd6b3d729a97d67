#include "core/shell/handoff.h"

#include "core/startup/command_line.h"
#include "core/text/utf.h"

namespace core {

std::string handoff_record(std::string_view id) {
    std::string record(id);
    record.push_back('\0');
    return record;
}

std::optional<RequestedId> read_handoff_record(const void* data, std::size_t size) {
    if (data == nullptr || size < kMinHandoffBytes || size > kMaxHandoffBytes) return std::nullopt;
    const std::string_view bytes(static_cast<const char*>(data), size);
    if (bytes.back() != '\0') return std::nullopt;
    const std::string_view id = bytes.substr(0, size - 1);
    if (!is_valid_utf8(id)) return std::nullopt;
    auto valid = validate_requested_id(id);
    if (!valid) return std::nullopt;
    return std::move(*valid);
}

}  // namespace core
