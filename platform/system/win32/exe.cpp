#include "platform/system/exe.h"

#include <windows.h>

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

bool launchExecutable(const std::string& path) {
    if (path.empty()) return false;
    // The command line is the quoted path alone; CreateProcessW may write into it.
    std::wstring commandLine = L"\"" + win32::toWide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace plat
