#include "platform/fonts.h"

#include <windows.h>

#include "platform/paths.h"

namespace plat {

std::string uiFontFile(UiFace face) {
    char dir[260];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    std::string fonts = std::string(n > 0 && n < sizeof dir ? dir : "C:\\Windows") + "\\Fonts\\";
    const char* file = "segoeui.ttf";
    switch (face) {
        case UiFace::Regular: file = "segoeui.ttf"; break;
        case UiFace::Semibold: file = "seguisb.ttf"; break;
        case UiFace::Bold: file = "segoeuib.ttf"; break;
        case UiFace::Symbols: file = "seguisym.ttf"; break;
    }
    std::string path = fonts + file;
    return fileExists(path) ? path : std::string();
}

}  // namespace plat
