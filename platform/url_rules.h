#pragma once
// Which locations a download may go to: the same rule on every platform.
#include <string>

namespace plat {

// True when downloadToFile (platform/net.h) would try the location at all: https anywhere,
// file, and plain http to the loopback host only (nothing on the wire to tamper with).
bool isAllowedDownloadUrl(const std::string& url);

}  // namespace plat
