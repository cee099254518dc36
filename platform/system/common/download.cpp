// The parts of downloading that are the same on every system.
#include "platform/system/net.h"

namespace plat {

bool downloadToFile(const std::string& url, const std::string& path, uint64_t maxBytes) {
    DownloadOptions options;
    options.maxBytes = maxBytes;
    return downloadToFile(url, path, options);
}

}  // namespace plat
