#include "platform/base/file_open.h"

namespace plat {

std::FILE* openFile(const std::string& utf8, const char* mode) { return std::fopen(utf8.c_str(), mode); }

}  // namespace plat
