#include "platform/system/net.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

namespace plat {
namespace {

struct Sink {
    FILE* file = nullptr;
    uint64_t written = 0;
    uint64_t maxBytes = 0;
    bool failed = false;
    DownloadWatch* watch = nullptr;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    Sink* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    if (sink->written + bytes > sink->maxBytes) {
        sink->failed = true;
        return 0;  // a short write aborts the transfer
    }
    if (bytes > 0 && std::fwrite(data, 1, bytes, sink->file) != bytes) {
        sink->failed = true;
        return 0;
    }
    sink->written += bytes;
    return bytes;
}

// curl calls this about once a second while it waits, and after data arrives.
int checkProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    Sink* sink = static_cast<Sink*>(user);
    return sink->watch->keepGoing(sink->written) ? 0 : 1;  // non-zero aborts the transfer
}

bool curlReady() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

}  // namespace

bool downloadToFile(const std::string& url, const std::string& path, const DownloadOptions& options) {
    if (path.empty()) return false;
    const uint64_t maxBytes = options.maxBytes;
    DownloadWatch watch(options);
    if (!isAllowedDownloadUrl(url) || !curlReady()) {
        std::remove(path.c_str());
        return false;
    }
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    Sink sink;
    sink.maxBytes = maxBytes;
    sink.watch = &watch;
    sink.file = std::fopen(path.c_str(), "wb");
    if (!sink.file) {
        curl_easy_cleanup(curl);
        return false;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https,http,file");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    // A stalled or trickling server would otherwise hold the thread (and the install
    // state) for ever; the same check notices a stop.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &sink);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Tarvion-updater");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    bool ok = curl_easy_perform(curl) == CURLE_OK && !sink.failed;
    if (ok) {
        // Only a 2xx answer is the body we asked for (file locations report 0).
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        char* scheme = nullptr;
        curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme);
        bool isFile = scheme && (std::string(scheme) == "file" || std::string(scheme) == "FILE");
        if (!isFile && (status < 200 || status > 299)) ok = false;
    }
    curl_easy_cleanup(curl);
    if (std::fflush(sink.file) != 0) ok = false;
    if (std::fclose(sink.file) != 0) ok = false;
    if (!ok) std::remove(path.c_str());
    return ok;
}

}  // namespace plat
