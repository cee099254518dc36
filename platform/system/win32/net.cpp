// Downloads through WinHTTP. WinHTTP would follow redirects itself, onto any scheme: that
// is switched off and each redirect is judged here, so only https is ever followed.
#include "platform/system/net.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdlib>
#include <vector>

#include "platform/base/text.h"
#include "platform/base/win32/wide.h"

namespace plat {

namespace {

constexpr int kMaxRedirects = 10;
constexpr int kResolveTimeoutMs = 20000;
constexpr int kConnectTimeoutMs = 20000;
constexpr int kSendTimeoutMs = 30000;
// A server that sends nothing for this long has stalled; the install must not wait for ever.
// The progress rule may cut the waits shorter.
constexpr int kReceiveTimeoutMs = 60000;
constexpr DWORD kChunkBytes = 65536;

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isHttpsUrl(const std::string& url) { return urlScheme(url) == "https" && isAllowedDownloadUrl(url); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = asciiLower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The file a "file://" location names: "file:///C:/a%20b" and "file://localhost/C:/a%20b"
// are C:\a b.
std::string filePathFromUrl(const std::string& url) {
    std::string authority;
    size_t restStart = 0;
    if (!urlAuthority(url, authority, &restStart)) return std::string();
    std::string rest = url.substr(restStart);
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 && hexValue(rest[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i] == '/' ? '\\' : rest[i];
        }
    }
    if (path.size() >= 3 && path[0] == '\\' && isAsciiLetter(path[1]) && path[2] == ':') path.erase(0, 1);
    return path;
}

// Where a redirect's Location leads, read against the URL that answered with it.
std::string resolveLocation(const std::string& base, const std::string& location) {
    if (!urlScheme(location).empty()) return location;
    if (location.compare(0, 2, "//") == 0) return urlScheme(base) + ":" + location;
    std::string authority;
    size_t restStart = 0;
    if (!urlAuthority(base, authority, &restStart)) return std::string();
    const std::string origin = base.substr(0, restStart);
    if (!location.empty() && location[0] == '/') return origin + location;
    std::string path = base.substr(restStart);
    path = path.substr(0, path.find_first_of("?#"));
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string("/") : path.substr(0, slash + 1);
    return origin + folder + location;
}

// The body goes into the file as it arrives, never past the cap.
struct Sink {
    HANDLE file = INVALID_HANDLE_VALUE;
    uint64_t written = 0;
    uint64_t maxBytes = 0;
    DownloadWatch* watch = nullptr;

    bool keepGoing() const { return watch->keepGoing(written); }

    bool write(const void* data, DWORD bytes) {
        if (bytes > maxBytes || written > maxBytes - bytes) return false;
        DWORD done = 0;
        if (!WriteFile(file, data, bytes, &done, nullptr) || done != bytes) return false;
        written += bytes;
        return true;
    }
};

bool copyLocalFile(const std::string& url, Sink& sink) {
    const std::string path = filePathFromUrl(url);
    if (path.empty()) return false;
    HANDLE in = CreateFileW(win32::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    std::vector<char> chunk(kChunkBytes);
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!sink.keepGoing() || !ReadFile(in, chunk.data(), kChunkBytes, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        if (!sink.write(chunk.data(), got)) {
            ok = false;
            break;
        }
    }
    CloseHandle(in);
    return ok;
}

struct Handle {
    HINTERNET h = nullptr;
    Handle() = default;
    explicit Handle(HINTERNET handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
};

std::wstring headerText(HINTERNET request, DWORD query) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return std::wstring();
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return std::wstring();
    text.resize(bytes / sizeof(wchar_t));
    return text;
}

bool isRedirectStatus(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

enum class Answer { Failed, Body, Redirect };

// One request: its body into the sink (a 2xx answer), or where it redirects to.
Answer requestOnce(const std::string& url, Sink& sink, std::string& redirectTo) {
    std::string authority, hostName;
    const bool loopback = urlAuthority(url, authority) && urlHost(authority, hostName) && isLoopbackHost(hostName);
    // Loopback requests never go through a proxy that the environment may name.
    const DWORD access = loopback ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    Handle session(WinHttpOpen(L"Tarvion-updater", access, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.h) return Answer::Failed;
    const int limit = sink.watch->waitLimitMs();
    const auto capped = [limit](int ms) { return ms < limit ? ms : limit; };
    WinHttpSetTimeouts(session.h, capped(kResolveTimeoutMs), capped(kConnectTimeoutMs), capped(kSendTimeoutMs),
                       capped(kReceiveTimeoutMs));

    std::wstring wideUrl = win32::toWide(url.substr(0, url.find('#')));
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts)) return Answer::Failed;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return Answer::Failed;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring target(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.empty()) target = L"/";

    Handle connection(WinHttpConnect(session.h, host.c_str(), parts.nPort, 0));
    if (!connection.h) return Answer::Failed;
    Handle request(WinHttpOpenRequest(connection.h, L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!request.h) return Answer::Failed;
    // The wait for the answer's headers has a limit of its own, not set by the above.
    DWORD responseTimeout = static_cast<DWORD>(capped(kReceiveTimeoutMs));
    WinHttpSetOption(request.h, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    const bool policySet = WinHttpSetOption(request.h, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    const bool featureSet = WinHttpSetOption(request.h, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature);
    // Without either, WinHTTP would follow redirects onto plain http on its own.
    if (!policySet && !featureSet) return Answer::Failed;
    if (!sink.keepGoing() ||
        !WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !sink.keepGoing() || !WinHttpReceiveResponse(request.h, nullptr))
        return Answer::Failed;

    DWORD status = 0;
    DWORD statusBytes = sizeof status;
    if (!WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusBytes, WINHTTP_NO_HEADER_INDEX))
        return Answer::Failed;
    if (isRedirectStatus(status)) {
        const std::wstring location = headerText(request.h, WINHTTP_QUERY_LOCATION);
        if (location.empty()) return Answer::Failed;
        redirectTo = resolveLocation(url, win32::fromWide(location));
        return redirectTo.empty() ? Answer::Failed : Answer::Redirect;
    }
    // Only a 2xx answer is the body we asked for; an error page is no download.
    if (status < 200 || status > 299) return Answer::Failed;

    // A declared length that the body does not reach is a cut transfer.
    const std::wstring lengthText = headerText(request.h, WINHTTP_QUERY_CONTENT_LENGTH);
    const bool lengthKnown = !lengthText.empty();
    const uint64_t declared = lengthKnown ? std::wcstoull(lengthText.c_str(), nullptr, 10) : 0;
    if (lengthKnown && declared > sink.maxBytes) return Answer::Failed;

    std::vector<char> chunk(kChunkBytes);
    for (;;) {
        DWORD available = 0;
        if (!sink.keepGoing() || !WinHttpQueryDataAvailable(request.h, &available)) return Answer::Failed;
        if (available == 0) break;
        DWORD got = 0;
        if (!WinHttpReadData(request.h, chunk.data(), available < kChunkBytes ? available : kChunkBytes, &got))
            return Answer::Failed;
        if (got == 0) break;
        if (!sink.write(chunk.data(), got)) return Answer::Failed;
    }
    if (lengthKnown && sink.written != declared) return Answer::Failed;
    return Answer::Body;
}

bool fetchHttp(const std::string& url, Sink& sink) {
    std::string current = url;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        std::string next;
        switch (requestOnce(current, sink, next)) {
            case Answer::Body: return true;
            case Answer::Failed: return false;
            case Answer::Redirect:
                // Redirects stay on https: never onto plain http, a file or anything else.
                if (!isHttpsUrl(next)) return false;
                current = next;
                break;
        }
    }
    return false;
}

}  // namespace

bool downloadToFile(const std::string& url, const std::string& path, const DownloadOptions& options) {
    if (path.empty()) return false;
    const std::wstring widePath = win32::toWide(path);
    if (!isAllowedDownloadUrl(url)) {
        DeleteFileW(widePath.c_str());
        return false;
    }
    DownloadWatch watch(options);
    Sink sink;
    sink.maxBytes = options.maxBytes;
    sink.watch = &watch;
    // Shared for deletion: the program's exit removes a download that is still being written.
    sink.file = CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (sink.file == INVALID_HANDLE_VALUE) return false;
    bool ok = urlScheme(url) == "file" ? copyLocalFile(url, sink) : fetchHttp(url, sink);
    if (!CloseHandle(sink.file)) ok = false;
    // A partial download never stays behind.
    if (!ok) DeleteFileW(widePath.c_str());
    return ok;
}

}  // namespace plat
