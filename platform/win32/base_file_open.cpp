#include "platform/file_open.h"

#include <cwchar>

namespace plat {

std::FILE* openFile(const std::string& utf8, const char* mode) {
    std::wstring wideMode;
    for (const char* m = mode; *m; ++m) wideMode += static_cast<wchar_t>(static_cast<unsigned char>(*m));
    return _wfopen(fsPath(utf8).c_str(), wideMode.c_str());
}

}  // namespace plat
