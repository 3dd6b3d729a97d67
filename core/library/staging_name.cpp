#include "core/library/staging_name.h"

#include "core/library/library.h"

namespace core {

std::string staging_folder_name(std::uint64_t process_id, std::uint64_t start_nanoseconds, std::uint64_t counter) {
    std::string name(kStagingPrefix);
    name += "import-" + std::to_string(process_id) + "-" + std::to_string(start_nanoseconds) + "-" +
            std::to_string(counter);
    return name;
}

}  // namespace core
