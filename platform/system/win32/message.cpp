#include "platform/system/message.h"

#include <windows.h>

#include <cstdio>

#include "platform/base/win32/wide.h"

namespace plat {

void reportError(const std::string& text, bool interactive) {
    std::fprintf(stderr, "Tarvion: %s\n", text.c_str());
    std::fflush(stderr);
    if (interactive) MessageBoxW(nullptr, win32::toWide(text).c_str(), L"Tarvion", MB_ICONERROR);
}

}  // namespace plat
