#include "platform/base/file_open.h"

#include "platform/base/win32/wide.h"

namespace plat {

std::FILE* openFile(const std::string& utf8, const char* mode) {
    return _wfopen(fsPath(utf8).c_str(), win32::toWide(mode).c_str());
}

}  // namespace plat
