#include "tools/common/posix_directory_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/folder/wallpaper_folder.h"
#include "core/fs/entry_kind.h"
#include "core/text/utf.h"

namespace tools {
namespace {

// What a Windows listing would report for the same entries.
constexpr std::uint32_t kAttributeNormal = 0x80;     // FILE_ATTRIBUTE_NORMAL
constexpr std::uint32_t kReparseTagSymlink = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
constexpr std::string_view kManifestFileName = "manifest.json";
constexpr std::size_t kReadChunk = 64 * 1024;

core::Error os_error(std::string_view what, std::string_view path, int code) {
    return core::Error(std::string(what) + " " + std::string(path),
                       core::Error::os(std::strerror(code), static_cast<std::uint32_t>(code)));
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

core::DirectoryEntry describe(const char* name, const struct stat& status) {
    core::DirectoryEntry entry;
    if (core::is_valid_utf8(name)) entry.name = std::string(name);
    if (S_ISLNK(status.st_mode)) {
        entry.attributes = core::kAttributeReparsePoint;
        entry.reparse_tag = kReparseTagSymlink;
    } else if (S_ISDIR(status.st_mode)) {
        entry.attributes = core::kAttributeDirectory;
    } else {
        entry.attributes = kAttributeNormal;
    }
    return entry;
}

}  // namespace

core::Status PosixDirectoryReader::list(std::string_view folder,
                                        const std::function<core::Status(const core::DirectoryEntry&)>& visit) {
    const std::string path(folder);
    UniqueDir dir(opendir(path.c_str()));
    if (!dir) return std::unexpected(os_error("cannot list", path, errno));
    while (true) {
        errno = 0;
        const dirent* item = readdir(dir.get());
        if (item == nullptr) {
            if (errno != 0) return std::unexpected(os_error("cannot list", path, errno));
            return {};
        }
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
        struct stat status {};
        if (fstatat(dirfd(dir.get()), item->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return std::unexpected(os_error("cannot read the attributes of", join(path, item->d_name), errno));
        }
        if (core::Status visited = visit(describe(item->d_name, status)); !visited) return visited;
    }
}

core::Result<core::Bytes> PosixDirectoryReader::read_file(std::string_view path, std::uint64_t limit) {
    const std::string name(path);
    // No blocking on a FIFO and no following of a link that replaced the file.
    const UniqueFd fd(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno == ELOOP) return core::fail("source symlinks are not allowed");
        return std::unexpected(os_error("cannot open", name, errno));
    }
    struct stat status {};
    if (fstat(fd.get(), &status) != 0) return std::unexpected(os_error("cannot read", name, errno));
    if (!S_ISREG(status.st_mode)) return core::fail("not a regular file: " + name);
    if (static_cast<std::uint64_t>(status.st_size) > limit) return core::fail("file too large");

    core::Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    // Read through the limit, not the reported size: the file may grow meanwhile.
    while (true) {
        const std::size_t old_size = bytes.size();
        bytes.resize(old_size + kReadChunk);
        const ssize_t got = ::read(fd.get(), bytes.data() + old_size, kReadChunk);
        if (got < 0) {
            if (errno == EINTR) {
                bytes.resize(old_size);
                continue;
            }
            return std::unexpected(os_error("cannot read", name, errno));
        }
        bytes.resize(old_size + static_cast<std::size_t>(got));
        if (bytes.size() > limit) return core::fail("file too large");
        if (got == 0) return bytes;
    }
}

std::string PosixDirectoryReader::join(std::string_view folder, std::string_view name) const {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

namespace {

// The checks before the content rules; the root's resolved form.
core::Result<std::string> resolve_wallpaper_root(std::string_view root) {
    const std::string given(root);
    struct stat status {};
    if (lstat(given.c_str(), &status) != 0) return std::unexpected(os_error("cannot read", given, errno));
    if (S_ISLNK(status.st_mode)) return core::fail("source symlinks are not allowed");
    if (!S_ISDIR(status.st_mode)) return core::fail("source must be a directory");

    char resolved_buffer[PATH_MAX];
    if (realpath(given.c_str(), resolved_buffer) == nullptr) {
        return std::unexpected(os_error("cannot resolve", given, errno));
    }
    const std::string resolved(resolved_buffer);

    const std::string manifest = PosixDirectoryReader().join(resolved, kManifestFileName);
    if (lstat(manifest.c_str(), &status) != 0) return std::unexpected(os_error("cannot read", manifest, errno));
    if (S_ISLNK(status.st_mode)) return core::fail("source symlinks are not allowed");
    if (S_ISDIR(status.st_mode)) return core::fail("manifest must be a file");
    return resolved;
}

}  // namespace

core::Result<core::WallpaperItem> load_wallpaper_folder_posix(std::string_view root) {
    const auto resolved = resolve_wallpaper_root(root);
    if (!resolved) return std::unexpected(resolved.error());
    PosixDirectoryReader reader;
    return core::load_wallpaper_folder_with(reader, *resolved);
}

core::FolderReport check_wallpaper_folder_posix(std::string_view root) {
    const auto resolved = resolve_wallpaper_root(root);
    if (!resolved) return core::FolderReport{.problems = {resolved.error()}};
    PosixDirectoryReader reader;
    return core::check_wallpaper_folder_with(reader, *resolved);
}

}  // namespace tools
