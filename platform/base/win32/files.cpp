#include "platform/base/files.h"

#include <windows.h>

#include <algorithm>

#include "platform/base/win32/wide.h"

namespace plat {

using win32::toWide;

namespace {

// FILETIME counts 100 ns steps from 1601-01-01 UTC.
int64_t unixNanoseconds(const FILETIME& t) {
    const int64_t ticks = (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    constexpr int64_t kTicksFrom1601To1970 = 116444736000000000LL;
    return (ticks - kTicksFrom1601To1970) * 100;
}

// *done (when given) counts the bytes that went out, also when a later write fails.
bool writeAll(HANDLE h, const char* data, size_t size, uint64_t* done = nullptr) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
        if (done) *done += written;
    }
    return true;
}

// The lock our appends take turns with: one byte far past any end a file reaches. Windows
// refuses others' reads and writes of locked bytes, so none of the file's own are locked.
OVERLAPPED appendTurn() {
    OVERLAPPED at{};
    at.OffsetHigh = 0x7FFFFFFF;
    return at;
}

HANDLE openForReading(const std::string& path) {
    return CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string resolvePath(const std::string& path) { return path; }

std::vector<FileEntry> findFiles(const std::string& pattern) {
    std::vector<FileEntry> found;
    if (pattern.empty()) return found;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(toWide(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string name = win32::fromWide(data.cFileName);
        if (name == "." || name == "..") continue;
        FileEntry entry;
        entry.name = name;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.push_back(entry);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    sortFileEntries(found);
    return found;
}

bool fileAttributes(const std::string& path, FileAttributes* out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) return false;
    if (out) {
        out->isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out->isFile = (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
        out->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        out->lastWriteTime = unixNanoseconds(data.ftLastWriteTime);
    }
    return true;
}

bool copyFileNoOverwrite(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
    const std::wstring target = toWide(to);
    // Fails when anything stands at the target, a file or a folder.
    if (!CopyFileW(toWide(from).c_str(), target.c_str(), TRUE)) return false;
    HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
    if (h != INVALID_HANDLE_VALUE && !CloseHandle(h)) ok = false;
    if (!ok) DeleteFileW(target.c_str());
    return ok;
}

bool deleteFile(const std::string& path) { return !path.empty() && DeleteFileW(toWide(path).c_str()) != 0; }

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = writeAll(h, bytes.data(), bytes.size());
    if (ok && !FlushFileBuffers(h)) ok = false;
    if (!CloseHandle(h)) ok = false;
    return ok;
}

bool writeFreshFile(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const std::wstring name = toWide(path);
    // A left-over file or a link goes first; deleting a link leaves what it points at.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
        DeleteFileW(name.c_str());
    }
    // CREATE_NEW: a name taken again in between fails instead of being written through.
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileType(h) == FILE_TYPE_DISK && writeAll(h, bytes.data(), bytes.size());
    if (ok && !FlushFileBuffers(h)) ok = false;
    if (!CloseHandle(h)) ok = false;
    if (!ok) DeleteFileW(name.c_str());
    return ok;
}

bool appendToFile(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const std::wstring name = toWide(path);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
        h = CreateFileW(name.c_str(), GENERIC_WRITE, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return false;
    }
    // Our appends take turns, so none writes where another does or adds a row between its
    // write and its taking back. Without the lock (a share that refuses it) the end check
    // below still keeps other rows.
    OVERLAPPED turn = appendTurn();
    const bool locked = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != 0;
    LARGE_INTEGER start{};
    uint64_t written = 0;
    bool ok = GetFileSizeEx(h, &start) && SetFilePointerEx(h, start, nullptr, FILE_BEGIN) &&
              writeAll(h, bytes.data(), bytes.size(), &written);
    // A short write (a full disk) must not leave the start of the bytes behind: a reader
    // would take it for a whole line. Ours go only while they are still the end of the file;
    // a file this call made is left empty, as removing it by its name could take a row that
    // another writer has added since.
    LARGE_INTEGER end{};
    if (!ok && written > 0 && GetFileSizeEx(h, &end) &&
        static_cast<uint64_t>(end.QuadPart) == static_cast<uint64_t>(start.QuadPart) + written &&
        SetFilePointerEx(h, start, nullptr, FILE_BEGIN))
        SetEndOfFile(h);
    if (locked) {
        turn = appendTurn();
        UnlockFileEx(h, 0, 1, 0, &turn);
    }
    if (!CloseHandle(h)) ok = false;
    return ok;
}

std::string makeTempFile(const std::string& folder, const std::string& prefix) {
    std::wstring dir;
    if (folder.empty()) {
        wchar_t temp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        if (n == 0 || n > MAX_PATH) return std::string();
        dir.assign(temp, n);
    } else {
        dir = toWide(folder);
    }
    // The system keeps the first three characters of the prefix and creates the file.
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(dir.c_str(), toWide(prefix).c_str(), 0, name) == 0) return std::string();
    return win32::fromWide(name);
}

ReadResult readFileCapped(const std::string& path, size_t maxBytes, std::string& text) {
    text.clear();
    if (path.empty()) return ReadResult::Failed;
    HANDLE h = openForReading(path);
    if (h == INVALID_HANDLE_VALUE) return ReadResult::Failed;
    // Only a file on a disk: from a named pipe (or a console or another device) in its place
    // ReadFile would wait for as long as the other end likes.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return ReadResult::Failed;
    }
    ReadResult result = ReadResult::Ok;
    char buffer[8192];
    for (;;) {
        const size_t room = maxBytes - text.size();
        DWORD n = 0;
        if (room == 0) {
            // Full: one more byte tells whether the file goes on.
            char probe;
            if (!ReadFile(h, &probe, 1, &n, nullptr)) result = ReadResult::Failed;
            else if (n > 0) result = ReadResult::Truncated;
            break;
        }
        if (!ReadFile(h, buffer, static_cast<DWORD>(std::min(room, sizeof buffer)), &n, nullptr)) {
            result = ReadResult::Failed;
            break;
        }
        if (n == 0) break;
        text.append(buffer, n);
    }
    CloseHandle(h);
    if (result == ReadResult::Failed) text.clear();
    return result;
}

}  // namespace plat
