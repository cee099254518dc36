#include "platform/base/process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

#include "platform/base/win32/wide.h"

namespace plat {

bool runningProcessNames(std::vector<std::string>& names) {
    names.clear();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const size_t length = wcsnlen(entry.szExeFile, MAX_PATH);
        if (length > 0) names.push_back(win32::fromWide(entry.szExeFile, length));
    }
    CloseHandle(snapshot);
    return true;
}

void prepareProcess() {}

bool setEnv(const char* name, const std::string& value) {
    return SetEnvironmentVariableW(win32::toWide(name).c_str(), win32::toWide(value).c_str()) != FALSE;
}

uint32_t currentProcessId() { return GetCurrentProcessId(); }

bool processRunning(uint32_t id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    // No such process is ERROR_INVALID_PARAMETER; anything else (access denied) means one is there.
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    // An ended process lives on while someone holds a handle to it.
    DWORD code = 0;
    const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

bool unsetEnv(const char* name) {
    // Removing a variable that is not set is no failure, as on Linux.
    if (SetEnvironmentVariableW(win32::toWide(name).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}

}  // namespace plat
