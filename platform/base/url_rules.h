#pragma once
// Which locations a download may go to: the same rule on every platform, and the pieces of
// an address that the rule and the transports read.
#include <cstddef>
#include <string>

namespace plat {

// True when downloadToFile (platform/system/net.h) would try the location at all: https anywhere,
// file, and plain http to the loopback host only (nothing on the wire to tamper with).
bool isAllowedDownloadUrl(const std::string& url);

// The scheme of an absolute address, lower-cased; "" when the text has none.
std::string urlScheme(const std::string& url);

// The authority of a "scheme://authority/..." address as written, and where the rest of the
// address starts; false when there is no "//" after the scheme.
bool urlAuthority(const std::string& url, std::string& authority, size_t* restStart = nullptr);

// The host of an authority "user@host:port" ("[v6]" kept in brackets), lower-cased; false
// when it is none (no host, an unclosed bracket, a port that is not a number).
bool urlHost(const std::string& authority, std::string& host);

// This machine by name or address, as urlHost gives it.
bool isLoopbackHost(const std::string& host);

}  // namespace plat
