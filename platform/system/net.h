#pragma once
// Downloading a URL into a file.
#include <cstdint>
#include <string>

#include "platform/base/url_rules.h"

namespace plat {

// Downloads a URL into a file, creating or truncating it. Accepted locations: https, file,
// and http to the loopback host only (nothing on the wire to tamper with); redirects are
// followed only onto https. An HTTP error status, a transfer error, a body longer than
// maxBytes or a stall is a failure, and then the file is deleted, so a partial download
// never stays behind. True when the whole body is in the file.
bool downloadToFile(const std::string& url, const std::string& path, uint64_t maxBytes);

}  // namespace plat
