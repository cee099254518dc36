#include "platform/base/folders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/base/win32/wide.h"

namespace plat {

namespace {

bool shellFolder(int csidl, std::string& path) {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)) || !buffer[0]) return false;
    path = win32::fromWide(buffer);
    return true;
}

}  // namespace

bool documentsFolder(std::string& path) { return shellFolder(CSIDL_PERSONAL, path); }

bool picturesFolder(std::string& path) { return shellFolder(CSIDL_MYPICTURES, path); }

bool gamesRunUnderProton() { return false; }

}  // namespace plat
