// Which locations a download may go to, the same on every platform: https anywhere, file,
// and plain http only to this machine, where there is no wire to tamper with.
#include <string>

#include "platform/base/text.h"
#include "platform/base/url_rules.h"

namespace plat {

namespace {

bool isSchemeChar(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (first) return letter;
    return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace

std::string urlScheme(const std::string& url) {
    size_t i = 0;
    while (i < url.size() && isSchemeChar(url[i], i == 0)) ++i;
    if (i == 0 || i >= url.size() || url[i] != ':') return std::string();
    return asciiLowered(url.substr(0, i));
}

bool urlAuthority(const std::string& url, std::string& authority, size_t* restStart) {
    const size_t colon = url.find(':');
    if (colon == std::string::npos || url.compare(colon + 1, 2, "//") != 0) return false;
    const size_t begin = colon + 3;
    size_t end = url.find_first_of("/?#", begin);
    if (end == std::string::npos) end = url.size();
    authority = url.substr(begin, end - begin);
    if (restStart) *restStart = end;
    return true;
}

bool urlHost(const std::string& authority, std::string& host) {
    const size_t at = authority.rfind('@');
    const std::string hostPort = asciiLowered(at == std::string::npos ? authority : authority.substr(at + 1));
    std::string port;
    if (!hostPort.empty() && hostPort[0] == '[') {
        const size_t close = hostPort.find(']');
        if (close == std::string::npos) return false;
        host = hostPort.substr(0, close + 1);
        const std::string rest = hostPort.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') return false;
        if (!rest.empty()) port = rest.substr(1);
    } else {
        const size_t colon = hostPort.find(':');
        host = hostPort.substr(0, colon);
        if (colon != std::string::npos) port = hostPort.substr(colon + 1);
    }
    for (char c : port)
        if (c < '0' || c > '9') return false;
    return !host.empty();
}

bool isLoopbackHost(const std::string& host) {
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

bool isAllowedDownloadUrl(const std::string& url) {
    // Blanks and control characters make a text no address at all.
    for (char c : url)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return false;
    const std::string scheme = urlScheme(url);
    std::string authority;
    if (scheme.empty() || !urlAuthority(url, authority)) return false;
    authority = asciiLowered(authority);
    if (scheme == "file") return authority.empty() || authority == "localhost";
    if (scheme != "https" && scheme != "http") return false;
    std::string host;
    if (!urlHost(authority, host)) return false;
    return scheme == "https" || isLoopbackHost(host);
}

}  // namespace plat
