// A named mutex per profile folder, owned by the main thread of the copy that claimed it;
// its window carries the folder's key as a window property, so a later start finds it.
#include "platform/system/instance.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/base/win32/wide.h"
#include "platform/system/exe.h"

namespace plat {

namespace {

constexpr wchar_t kClassName[] = L"TarvionWindow";
constexpr wchar_t kKeyProperty[] = L"TarvionProfileKey";
// How long the holder's successor (the update's restart) waits for it to quit.
constexpr DWORD kHandOverWaitMs = 10000;

HANDLE heldMutex = nullptr;
ULONG_PTR heldKey = 0;
HWND publishedWindow = nullptr;

// FNV-1a over the path in lower case, never 0 (a window property of 0 is no property).
ULONG_PTR folderKey(const std::string& folder) {
    std::wstring path = win32::toWide(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (!path.empty()) CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : path) {
        hash ^= static_cast<uint16_t>(c == L'/' ? L'\\' : c);
        hash *= 1099511628211ull;
    }
    return static_cast<ULONG_PTR>(hash | 1);
}

std::wstring mutexName(ULONG_PTR key) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Tarvion-profile-%016llx", static_cast<unsigned long long>(key));
    return name;
}


// Claims the folder, waiting up to waitMs for another holder to let go of it.
FolderClaim claimWaiting(const std::string& folder, DWORD waitMs) {
    if (heldMutex) return FolderClaim::Claimed;
    const ULONG_PTR key = folderKey(folder);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName(key).c_str());
    if (!mutex) return FolderClaim::Unavailable;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Not ours: another copy made it. An abandoned mutex (the holder has ended) is ours
        // as well.
        const DWORD waited = WaitForSingleObject(mutex, waitMs);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            CloseHandle(mutex);
            return FolderClaim::HeldElsewhere;
        }
    }
    heldMutex = mutex;
    heldKey = key;
    return FolderClaim::Claimed;
}

}  // namespace

FolderClaim claimProfileFolder(const std::string& folder) {
    // The successor of a quitting holder waits for it.
    const bool handOver = takeSuccessorHandOver();
    return claimWaiting(folder, handOver ? kHandOverWaitMs : 0);
}

FolderClaim takeBackProfileFolder(const std::string& folder, int waitMs) {
    return claimWaiting(folder, waitMs > 0 ? static_cast<DWORD>(waitMs) : 0);
}

void publishProfileWindow(void* window) {
    if (!heldMutex || !window) return;
    publishedWindow = static_cast<HWND>(window);
    SetPropW(publishedWindow, kKeyProperty, reinterpret_cast<HANDLE>(heldKey));
}

bool raiseProfileHolder(const std::string& folder) {
    const ULONG_PTR key = folderKey(folder);
    for (HWND window = FindWindowExW(nullptr, nullptr, kClassName, nullptr); window;
         window = FindWindowExW(nullptr, window, kClassName, nullptr)) {
        if (reinterpret_cast<ULONG_PTR>(GetPropW(window, kKeyProperty)) != key) continue;
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        // A program the player has just started may hand the foreground on.
        SetForegroundWindow(window);
        return true;
    }
    return false;
}

void releaseProfileFolder() {
    if (!heldMutex) return;
    if (publishedWindow && IsWindow(publishedWindow)) RemovePropW(publishedWindow, kKeyProperty);
    publishedWindow = nullptr;
    ReleaseMutex(heldMutex);
    CloseHandle(heldMutex);
    heldMutex = nullptr;
    heldKey = 0;
}

}  // namespace plat
