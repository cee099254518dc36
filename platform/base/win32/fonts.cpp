#include "platform/base/fonts.h"

#include <windows.h>

#include "platform/base/paths.h"
#include "platform/base/win32/wide.h"

namespace plat {

std::string uiFontFile(UiFace face) {
    wchar_t dir[MAX_PATH];
    UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
    const std::string windows = n > 0 && n < MAX_PATH ? win32::fromWide(dir) : std::string("C:\\Windows");
    const char* file = "segoeui.ttf";
    switch (face) {
        case UiFace::Regular: file = "segoeui.ttf"; break;
        case UiFace::Semibold: file = "seguisb.ttf"; break;
        case UiFace::Bold: file = "segoeuib.ttf"; break;
        case UiFace::Symbols: file = "seguisym.ttf"; break;
    }
    const std::string path = joinPath(joinPath(windows, "Fonts"), file);
    return fileExists(path) ? path : std::string();
}

}  // namespace plat
