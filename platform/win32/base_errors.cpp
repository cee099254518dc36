#include "platform/errors.h"

#include <windows.h>

namespace plat {

std::string lastErrorMessage() {
    DWORD code = GetLastError();
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             buf, sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r')) --n;
    return std::string(buf, n);
}

void debugLog(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace plat
