// Writing a whole file through a temporary beside it, on every platform.
#include "platform/base/atomic_file.h"
#include "platform/base/files.h"

namespace plat {

bool writeFileAtomically(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const std::string temp = path + ".tmp";
    // writeFreshFile never writes through what stands at the temporary name, flushes the
    // data to the disk before it reports success, and leaves nothing behind when it fails.
    if (!writeFreshFile(temp, bytes)) return false;
    if (!replaceFile(temp, path)) {
        deleteFile(temp);
        return false;
    }
    return true;
}

}  // namespace plat
