#include "player/win32/system_error.h"

#include <gtest/gtest.h>

namespace {

TEST(FailedCall, NamesTheCallAndKeepsItsCode) {
    const core::Error missing = win32::failed_call("CreateFileW", ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(missing.message().starts_with("CreateFileW failed: ")) << missing.message();
    EXPECT_TRUE(missing.message().ends_with(" (os error 2)")) << missing.message();
    EXPECT_EQ(missing.os_code(), ERROR_FILE_NOT_FOUND);

    ::SetLastError(ERROR_ACCESS_DENIED);
    const core::Error denied = win32::failed_call("MoveFileExW");
    EXPECT_EQ(denied.message(), "MoveFileExW failed: " + win32::system_error(ERROR_ACCESS_DENIED).message());
    EXPECT_EQ(denied.os_code(), ERROR_ACCESS_DENIED);

    EXPECT_EQ(win32::failed_hresult("CoInitializeEx", RPC_E_CHANGED_MODE).message(), "CoInitializeEx failed: 0x80010106");
}

}  // namespace
