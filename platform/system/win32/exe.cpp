#include "platform/system/exe.h"

#include <windows.h>

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

// Names the successor's hand-over: "event:<name>", an event the successor sets once it runs.
// An older build's restart set it to "1" (nothing to tell).
constexpr wchar_t kHandOverVariable[] = L"TARVION_PROFILE_HANDOVER";
constexpr wchar_t kEventPrefix[] = L"Local\\Tarvion-started-";

// Starts `path` with no arguments and the given environment block (nullptr: this process's).
bool start(const std::string& path, wchar_t* environment, PROCESS_INFORMATION* process) {
    if (path.empty()) return false;
    // The command line is the quoted path alone; CreateProcessW may write into it.
    std::wstring commandLine = L"\"" + win32::toWide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                          environment ? CREATE_UNICODE_ENVIRONMENT : 0, environment, nullptr, &startup,
                          process) != 0;
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
    if (!start(path, nullptr, &process)) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool keepExecutableAside(const std::string& exe, const std::string& aside) {
    // A running image cannot be replaced, only moved: the name is empty until the new one
    // is moved in.
    return MoveFileExW(win32::toWide(exe).c_str(), win32::toWide(aside).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

SuccessorStart launchSuccessor(const std::string& path, int waitMs) {
    static LONG counter = 0;
    wchar_t name[96];
    std::swprintf(name, 96, L"%ls%lu-%ld", kEventPrefix, GetCurrentProcessId(), InterlockedIncrement(&counter));
    HANDLE said = CreateEventW(nullptr, TRUE, FALSE, name);
    if (!said) return SuccessorStart::NotStarted;
    std::vector<wchar_t> environment = environmentWith(std::wstring(kHandOverVariable) + L"=event:" + name);
    PROCESS_INFORMATION process{};
    if (!start(path, environment.data(), &process)) {
        CloseHandle(said);
        return SuccessorStart::NotStarted;
    }
    CloseHandle(process.hThread);
    HANDLE both[2] = {said, process.hProcess};
    const DWORD waited = WaitForMultipleObjects(2, both, FALSE, waitMs < 0 ? 0 : static_cast<DWORD>(waitMs));
    SuccessorStart outcome = SuccessorStart::Silent;
    // An event set just before the end still counts: it did run.
    if (waited == WAIT_OBJECT_0 || WaitForSingleObject(said, 0) == WAIT_OBJECT_0)
        outcome = SuccessorStart::Started;
    else if (waited == WAIT_OBJECT_0 + 1)
        outcome = SuccessorStart::Ended;
    if (outcome == SuccessorStart::Silent) {
        // A program that says nothing may still come up later beside the version put back;
        // its image must be gone before its file is.
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    } else if (outcome == SuccessorStart::Ended) {
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    CloseHandle(said);
    return outcome;
}

bool takeSuccessorHandOver() {
    static const bool successor = [] {
        wchar_t value[160] = {};
        const DWORD n = GetEnvironmentVariableW(kHandOverVariable, value, 160);
        SetEnvironmentVariableW(kHandOverVariable, nullptr);
        if (n == 0) return false;
        const std::wstring text = n < 160 ? std::wstring(value, n) : std::wstring();
        const std::wstring tag = std::wstring(L"event:") + kEventPrefix;
        // Only an event of ours is set: a value that reached us some other way names none.
        if (text.compare(0, tag.size(), tag) == 0) {
            if (HANDLE said = OpenEventW(EVENT_MODIFY_STATE, FALSE, text.c_str() + 6)) {
                SetEvent(said);
                CloseHandle(said);
            }
        }
        return true;
    }();
    return successor;
}

}  // namespace plat
