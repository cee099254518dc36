#include "platform/base/atomic_file.h"

#include <windows.h>

#include "platform/base/win32/wide.h"

namespace plat {

using win32::toWide;

bool syncFile(const std::string& path) {
    HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = FlushFileBuffers(h) != 0;
    if (!CloseHandle(h)) ok = false;
    return ok;
}

// MOVEFILE_WRITE_THROUGH makes the moves durable; there is no folder to flush.
bool syncFolderOf(const std::string&) { return true; }

bool replaceFile(const std::string& from, const std::string& to) {
    const std::wstring source = toWide(from), target = toWide(to);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    // A folder is no file to replace. Windows refuses it, but Wine's ReplaceFileW puts the
    // file in place of an empty one.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // ReplaceFileW keeps what the old file carries beyond its bytes (attributes, access
    // rules) but needs it to exist; a first save moves the file into place instead.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool moveFileNoOverwrite(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when anything stands at the target.
    return MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace plat
