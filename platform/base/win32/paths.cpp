#include "platform/base/paths.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/base/win32/wide.h"

namespace plat {

using win32::toWide;

char pathSeparator() { return '\\'; }

std::string getEnv(const char* name, bool* found) {
    std::wstring wname = toWide(name);
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n == 0) {
        // An empty value also answers 0; only a missing one says so in the error.
        if (found) *found = GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        return {};
    }
    std::wstring buf(n, L'\0');
    n = GetEnvironmentVariableW(wname.c_str(), buf.data(), n);
    buf.resize(n);
    if (found) *found = true;
    return win32::fromWide(buf);
}

std::string defaultDataFolder() {
    bool set = false;
    std::string appdata = getEnv("APPDATA", &set);
    if (!set) {
        // Without the variable the shell still knows the folder; the current folder
        // changes with every shortcut and may not be writable.
        wchar_t buffer[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)) && buffer[0]) {
            appdata = win32::fromWide(std::wstring(buffer));
            set = true;
        }
    }
    return joinPath(set ? appdata : std::string("."), "Tarvion");
}

bool folderExists(const std::string& path) {
    DWORD a = GetFileAttributesW(toWide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path) {
    DWORD a = GetFileAttributesW(toWide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeFolder(const std::string& path) {
    if (path.empty()) return false;
    return CreateDirectoryW(toWide(path).c_str(), nullptr) || folderExists(path);
}

bool makeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\' || path[i] == '/') makeFolder(path.substr(0, i));
    }
    return makeFolder(path);
}

}  // namespace plat
