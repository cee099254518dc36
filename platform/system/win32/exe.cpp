#include "platform/system/exe.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "platform/base/win32/wide.h"

namespace plat {

std::string runningExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        // A full buffer may hold a cut name: try again with more room.
        if (n < buffer.size()) return win32::fromWide(buffer.data(), n);
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string executableMagic() { return "MZ"; }

bool markExecutable(const std::string& path) {
    // Windows runs any file it can read; only a missing file or a folder is a failure.
    const DWORD attributes = GetFileAttributesW(win32::toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool moveExecutable(const std::string& from, const std::string& to) {
    return MoveFileExW(win32::toWide(from).c_str(), win32::toWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

namespace {

// Names the successor's hand-over: "handle:<hex>:<pid>", an event handle it inherits and sets
// once it is up, and the process that started it. Older builds' restarts set
// "event:<name>" (a named event, set as soon as it runs) or "1" (nothing to tell).
constexpr wchar_t kHandOverVariable[] = L"TARVION_PROFILE_HANDOVER";
constexpr wchar_t kEventPrefix[] = L"Local\\Tarvion-started-";

// The event a successor still owes its word on; null when none.
HANDLE pendingWord = nullptr;

// Starts `path` with no arguments and the given environment block (nullptr: this process's).
// It inherits `inherit` alone when that is given, and no handle otherwise.
bool start(const std::string& path, wchar_t* environment, HANDLE inherit, PROCESS_INFORMATION* process) {
    if (path.empty()) return false;
    // The command line is the quoted path alone; CreateProcessW may write into it.
    std::wstring commandLine = L"\"" + win32::toWide(path) + L"\"";
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup.StartupInfo;
    DWORD flags = environment ? CREATE_UNICODE_ENVIRONMENT : 0;
    std::vector<char> storage;
    LPPROC_THREAD_ATTRIBUTE_LIST attributes = nullptr;
    if (inherit) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage.resize(size);
        attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (size == 0 || !InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return false;
        if (!UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherit, sizeof inherit,
                                       nullptr, nullptr)) {
            DeleteProcThreadAttributeList(attributes);
            return false;
        }
        startup.StartupInfo.cb = sizeof startup;
        startup.lpAttributeList = attributes;
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, inherit ? TRUE : FALSE, flags,
                                        environment, nullptr, &startup.StartupInfo, process) != 0;
    if (attributes) DeleteProcThreadAttributeList(attributes);
    return started;
}

// This process's environment block without the hand-over, with `extra` ("NAME=value") first.
std::vector<wchar_t> environmentWith(const std::wstring& extra) {
    std::vector<wchar_t> block(extra.begin(), extra.end());
    block.push_back(L'\0');
    const std::wstring skip = std::wstring(kHandOverVariable) + L"=";
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* v = strings; *v; v += std::wcslen(v) + 1)
            if (_wcsnicmp(v, skip.c_str(), skip.size()) != 0) block.insert(block.end(), v, v + std::wcslen(v) + 1);
        FreeEnvironmentStringsW(strings);
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

bool launchExecutable(const std::string& path) {
    PROCESS_INFORMATION process{};
    if (!start(path, nullptr, nullptr, &process)) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool keepExecutableAside(const std::string& exe, const std::string& aside) {
    // A running image cannot be replaced, only moved: the name is empty until the new one
    // is moved in.
    return MoveFileExW(win32::toWide(exe).c_str(), win32::toWide(aside).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

SuccessorStart launchSuccessor(const std::string& path, int waitMs, const std::atomic<bool>* stop) {
    // Unnamed and inherited by the successor alone: no other process can open it.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE said = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    if (!said) return SuccessorStart::NotStarted;
    wchar_t value[64];
    std::swprintf(value, 64, L"handle:%llx:%lu", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(said)),
                  GetCurrentProcessId());
    std::vector<wchar_t> environment = environmentWith(std::wstring(kHandOverVariable) + L"=" + value);
    PROCESS_INFORMATION process{};
    if (!start(path, environment.data(), said, &process)) {
        CloseHandle(said);
        return SuccessorStart::NotStarted;
    }
    CloseHandle(process.hThread);
    HANDLE both[2] = {said, process.hProcess};
    const ULONGLONG begun = GetTickCount64();
    const ULONGLONG limit = waitMs < 0 ? 0 : static_cast<ULONGLONG>(waitMs);
    DWORD waited = WAIT_TIMEOUT;
    bool stopped = false;
    for (;;) {
        if (stop && stop->load()) {
            stopped = true;
            break;
        }
        const ULONGLONG spent = GetTickCount64() - begun;
        if (spent >= limit) break;
        waited = WaitForMultipleObjects(2, both, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(50, limit - spent)));
        if (waited != WAIT_TIMEOUT) break;
    }
    SuccessorStart outcome = stopped ? SuccessorStart::Stopped : SuccessorStart::Silent;
    // An event set just before the end still counts: it was up.
    if (waited == WAIT_OBJECT_0 || WaitForSingleObject(said, 0) == WAIT_OBJECT_0)
        outcome = SuccessorStart::Started;
    else if (waited == WAIT_OBJECT_0 + 1)
        outcome = SuccessorStart::Ended;
    if (outcome == SuccessorStart::Silent || outcome == SuccessorStart::Stopped) {
        // A program that has not said so may still come up later beside the version put
        // back; its image must be gone before its file is.
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    } else if (outcome == SuccessorStart::Ended) {
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    CloseHandle(said);
    return outcome;
}

namespace {

// The id of the process that started this one; 0 when it cannot be told.
DWORD parentProcessId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return parent;
}

// The folder of a path, in lower case ("" when it has none).
std::wstring folderOf(std::wstring path) {
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return std::wstring();
    path.resize(cut);
    if (!path.empty()) CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

// Whether the parent process runs a program from this program's folder: an older build of
// ours, restarting as an update (its file moved aside to ".old" by then).
bool parentRunsFromOurFolder(DWORD parent) {
    if (parent == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent);
    if (!process) return false;
    std::vector<wchar_t> name(32768);
    DWORD size = static_cast<DWORD>(name.size());
    const bool named = QueryFullProcessImageNameW(process, 0, name.data(), &size) != 0;
    CloseHandle(process);
    if (!named) return false;
    const std::wstring ours = folderOf(win32::toWide(runningExecutablePath()));
    return !ours.empty() && folderOf(std::wstring(name.data(), size)) == ours;
}

}  // namespace

bool takeSuccessorHandOver() {
    static const bool successor = [] {
        std::vector<wchar_t> buffer(256);
        const DWORD n = GetEnvironmentVariableW(kHandOverVariable, buffer.data(), static_cast<DWORD>(buffer.size()));
        SetEnvironmentVariableW(kHandOverVariable, nullptr);
        // Longer than any value of ours: not ours.
        if (n == 0 || n >= buffer.size()) return false;
        const std::wstring text(buffer.data(), n);
        const DWORD parent = parentProcessId();
        if (parent == 0) return false;
        if (text == L"1") return parentRunsFromOurFolder(parent);
        unsigned long long handle = 0;
        unsigned long starter = 0;
        wchar_t end = 0;
        if (std::swscanf(text.c_str(), L"handle:%llx:%lu%lc", &handle, &starter, &end) == 2) {
            // Only the handle of the process that started this one, and one that is there.
            HANDLE said = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle));
            DWORD flags = 0;
            if (starter != parent || !said || !GetHandleInformation(said, &flags)) return false;
            // Kept from what this program starts until the word is sent.
            SetHandleInformation(said, HANDLE_FLAG_INHERIT, 0);
            pendingWord = said;
            return true;
        }
        // An older build's named event carries its process id: only that process's own
        // successor may set it, and it counts the start as soon as the program runs.
        const std::wstring tag = std::wstring(L"event:") + kEventPrefix;
        unsigned long named = 0;
        if (text.compare(0, tag.size(), tag) == 0 && std::swscanf(text.c_str() + tag.size(), L"%lu-", &named) == 1 &&
            named == parent) {
            if (HANDLE said = OpenEventW(EVENT_MODIFY_STATE, FALSE, text.c_str() + 6)) {
                SetEvent(said);
                CloseHandle(said);
                return true;
            }
        }
        return false;
    }();
    return successor;
}

void confirmSuccessorStarted() {
    takeSuccessorHandOver();
    if (!pendingWord) return;
    SetEvent(pendingWord);
    CloseHandle(pendingWord);
    pendingWord = nullptr;
}

int endedProgramFileWaitMs() { return 30000; }

}  // namespace plat
