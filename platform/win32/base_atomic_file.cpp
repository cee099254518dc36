#include "platform/atomic_file.h"
#include "platform/text.h"

#include <windows.h>

namespace plat {

namespace {
std::wstring wide(const std::string& s) {
    std::u16string u = utf8ToUtf16(s);
    return std::wstring(u.begin(), u.end());
}
}  // namespace

bool syncFile(const std::string& path) {
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = FlushFileBuffers(h) != 0;
    if (!CloseHandle(h)) ok = false;
    return ok;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace plat
