#include "core/package/archive_reader.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "core/json/json_record.h"
#include "core/package/package_format.h"

namespace core {

Result<std::vector<ArchiveMember>> read_archive(std::string_view text) {
    std::vector<ArchiveMember> members;
    std::unordered_set<std::string> seen;
    JsonRecord record;
    record.string_map("files", [&](std::string_view path, std::string_view base64) -> Status {
        // Checked member by member, so an oversized archive stops at its 2,049th path.
        if (!seen.insert(std::string(path)).second) return fail("duplicate asset path");
        if (members.size() == kMaxPackageAssets) return fail("invalid asset count");
        ArchiveMember& member = members.emplace_back();
        member.path.assign(path);
        if (json_view_is_within(base64, text)) {
            member.borrowed = base64;
        } else {
            member.owned.assign(base64);
            member.is_owned = true;
        }
        return {};
    });
    if (auto read = read_json_record_borrowing(text, record); !read) return std::unexpected(read.error());
    if (members.empty()) return fail("invalid asset count");
    std::sort(members.begin(), members.end(),
              [](const ArchiveMember& a, const ArchiveMember& b) { return a.path < b.path; });
    return members;
}

}  // namespace core
