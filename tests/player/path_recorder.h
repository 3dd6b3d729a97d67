#pragma once

#include <string>
#include <vector>

namespace test {

// Records the path of every file-system call this test program makes while it lives:
// CreateFileW, CreateDirectoryW, MoveFileExW (both paths), DeleteFileW, RemoveDirectoryW,
// GetFileAttributesW, GetFileAttributesExW and FindFirstFileExW. It swaps the entries of
// the program's own import table, through which the player's code (linked in) calls the
// system, and restores them at the end. One recorder at a time, on one thread.
class PathRecorder {
public:
    PathRecorder();
    ~PathRecorder();
    PathRecorder(const PathRecorder&) = delete;
    PathRecorder& operator=(const PathRecorder&) = delete;

    const std::vector<std::wstring>& paths() const;
};

}  // namespace test
