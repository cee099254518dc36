// The shell's opener: what is refused before anything starts. (A started opener would leave
// an Explorer window behind, which keeps Wine's session alive, so only failures run here.)
#include <gtest/gtest.h>

#include "platform/system/clipboard.h"
#include "platform/system/shell_open.h"
#include "tests/platform/win32/support.h"

namespace {

using namespace win_test;

TEST(OpenExternal, RefusedAndMissingTargets) {
    for (const char* target : {"", "-h", "--version"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(plat::openExternal(target), plat::OpenResult::Failed);
    }
    TempFolder dir;
    EXPECT_EQ(plat::openExternal(dir.file("missing folder")), plat::OpenResult::Failed);
    EXPECT_FALSE(plat::openFolder(dir.file("missing folder")));
    EXPECT_FALSE(plat::openFolder(""));
}

TEST(ReleaseClipboard, NothingToHandOverOnWindows) { EXPECT_FALSE(plat::releaseClipboard(100)); }

}  // namespace
