#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/folder/directory_reader.h"
#include "core/fs/entry_kind.h"

namespace tests {

// An in-memory folder tree below "/w" for the folder rules: lists entries in the order
// they were added, reports sizes without holding large files, and counts reads.
class FakeDirectoryReader final : public core::DirectoryReader {
public:
    static constexpr std::string_view kRoot = "/w";
    static constexpr std::uint32_t kPlainFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE

    void folder(std::string_view relative) { ensure_folder(std::string(relative)); }

    void file(std::string_view relative, std::string content) {
        add(relative, kPlainFile);
        const std::uint64_t size = content.size();
        files_[full(relative)] = File{.content = std::move(content), .size = size};
    }

    // A file of the given size whose bytes are only made when it is read.
    void sized_file(std::string_view relative, std::uint64_t size) {
        add(relative, kPlainFile);
        files_[full(relative)] = File{.size = size, .zeros = true};
    }

    // An entry described as given (links, reparse points, names that are not text).
    void entry(std::string_view folder_relative, core::DirectoryEntry entry) {
        ensure_folder(std::string(folder_relative));
        listings_[full(folder_relative)].push_back(std::move(entry));
    }

    void fail_listing(std::string_view relative) { failing_listings_.push_back(full(relative)); }

    int reads() const { return reads_; }
    int discarding_reads() const { return discarding_reads_; }

    core::Status list(std::string_view folder,
                      const std::function<core::Status(const core::DirectoryEntry&)>& visit) override {
        for (const std::string& failing : failing_listings_) {
            if (failing == folder) return core::fail("cannot list " + failing);
        }
        const auto found = listings_.find(std::string(folder));
        if (found == listings_.end()) return core::fail("not found: " + std::string(folder));
        for (const core::DirectoryEntry& entry : found->second) {
            if (core::Status status = visit(entry); !status) return status;
        }
        return {};
    }

    core::Result<core::Bytes> read_file(std::string_view path, std::uint64_t limit) override {
        ++reads_;
        const auto found = files_.find(std::string(path));
        if (found == files_.end()) return core::fail("The system cannot find the file specified.");
        if (found->second.size > limit) return core::fail("file too large");
        if (found->second.zeros) return core::Bytes(found->second.size);
        return core::Bytes(found->second.content.begin(), found->second.content.end());
    }

    core::Result<std::uint64_t> read_file_discarding(std::string_view path, std::uint64_t limit) override {
        ++discarding_reads_;
        const auto found = files_.find(std::string(path));
        if (found == files_.end()) return core::fail("The system cannot find the file specified.");
        if (found->second.size > limit) return core::fail("file too large");
        return found->second.size;
    }

    std::string join(std::string_view folder, std::string_view name) const override {
        return std::string(folder) + "/" + std::string(name);
    }

private:
    struct File {
        std::string content;
        std::uint64_t size = 0;
        bool zeros = false;
    };

    static std::string full(std::string_view relative) {
        return relative.empty() ? std::string(kRoot) : std::string(kRoot) + "/" + std::string(relative);
    }

    static std::string parent_of(const std::string& relative) {
        const std::size_t slash = relative.rfind('/');
        return slash == std::string::npos ? "" : relative.substr(0, slash);
    }

    static std::string name_of(const std::string& relative) {
        const std::size_t slash = relative.rfind('/');
        return slash == std::string::npos ? relative : relative.substr(slash + 1);
    }

    void ensure_folder(const std::string& relative) {
        if (listings_.contains(full(relative))) return;
        listings_[full(relative)];
        if (relative.empty()) return;
        ensure_folder(parent_of(relative));
        listings_[full(parent_of(relative))].push_back(
            core::DirectoryEntry{.name = name_of(relative), .attributes = core::kAttributeDirectory});
    }

    void add(std::string_view relative, std::uint32_t attributes) {
        const std::string path(relative);
        ensure_folder(parent_of(path));
        listings_[full(parent_of(path))].push_back(core::DirectoryEntry{.name = name_of(path), .attributes = attributes});
    }

    std::map<std::string, std::vector<core::DirectoryEntry>> listings_;
    std::map<std::string, File> files_;
    std::vector<std::string> failing_listings_;
    int reads_ = 0;
    int discarding_reads_ = 0;
};

}  // namespace tests
