#include "platform/base/errors.h"

#include <windows.h>

#include <cstdio>

#include "platform/base/win32/wide.h"

namespace plat {

std::string lastErrorMessage() {
    const DWORD code = GetLastError();
    wchar_t buffer[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             sizeof buffer / sizeof buffer[0], nullptr);
    while (n > 0 && (buffer[n - 1] == L'\n' || buffer[n - 1] == L'\r')) --n;
    return win32::fromWide(buffer, n);
}

void debugLog(const std::string& text) {
    OutputDebugStringA(text.c_str());
    if (!IsDebuggerPresent()) {
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
    }
}

}  // namespace plat
