// Windows services still being written (raw input, hotkey and injected input, pointer
// capture, clipboard, registry, processes, downloads, hashing, the executable swap, the
// folder opener). Until then every call reports failure, so Tarvion.exe links and runs
// with these features off: no mouse counts, nothing found on the machine, no updates.
// Only the message drain works already, since the window cannot live without it.
#include <windows.h>

#include <vector>

#include "platform/clipboard.h"
#include "platform/exe.h"
#include "platform/files.h"
#include "platform/hash.h"
#include "platform/input.h"
#include "platform/net.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell_open.h"
#include "platform/win32/input_messages.h"

namespace plat {

namespace {
std::vector<Event> queued;
}  // namespace

namespace win32 {
void postEvent(const Event& event) { queued.push_back(event); }
bool handleInputMessage(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }
}  // namespace win32

void pumpEvents(void*, std::vector<Event>& out) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Event e;
            e.kind = EventKind::Quit;
            win32::postEvent(e);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    out.insert(out.end(), queued.begin(), queued.end());
    queued.clear();
}

bool startRawMouse(void*) { return false; }
void stopRawMouse() {}
void setBackgroundRawMouse(bool) {}
void setPointerCaptured(void*, bool) {}
void centrePointer(void*) {}
bool registerHotkeyF8() { return false; }
void unregisterHotkeyF8() {}
bool injectRelativeMove(int32_t, int32_t) { return false; }
bool injectKeyTap(int32_t) { return false; }
bool injectButton(int32_t, bool) { return false; }

bool clipboardImageSupported() { return false; }
bool setClipboardImage(void*, const std::vector<uint8_t>&, const std::vector<uint8_t>&) { return false; }
bool releaseClipboard(int32_t) { return false; }

bool regOpenKey(RegHive, const std::string&, uint32_t, RegKey&) { return false; }
void regCloseKey(RegKey& key) { key = RegKey{}; }
bool regEnumSubKey(const RegKey&, uint32_t, std::string&) { return false; }
bool regQueryValue(const RegKey&, const std::string&, RegValue&) { return false; }

bool runningProcessNames(std::vector<std::string>& names) {
    names.clear();
    return false;
}
bool setEnv(const char*, const std::string&) { return false; }
bool unsetEnv(const char*) { return false; }

bool downloadToFile(const std::string&, const std::string&, uint64_t) { return false; }
bool isAllowedDownloadUrl(const std::string&) { return false; }

std::string sha256File(const std::string&) { return std::string(); }

std::string runningExecutablePath() { return std::string(); }
std::string executableMagic() { return "MZ"; }
bool markExecutable(const std::string&) { return false; }
bool launchExecutable(const std::string&) { return false; }

// No opener yet: callers then show the address instead.
OpenResult openExternal(const std::string&) { return OpenResult::NoOpener; }
bool openFolder(const std::string&) { return false; }

// Moves to the portable rules shared by both systems.
bool matchesPattern(const std::string&, const std::string&) { return false; }

}  // namespace plat
