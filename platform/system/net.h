#pragma once
// Downloading a URL into a file.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/base/url_rules.h"

namespace plat {

// A download must keep moving: it fails as soon as `seconds` pass without another `bytes`
// of the body arriving (counted from the start, then from each time that much came in).
// A server that trickles a few bytes now and then would otherwise hold it for ever.
struct DownloadProgressRule {
    uint64_t bytes = 64 * 1024;
    int32_t seconds = 30;
};

struct DownloadOptions {
    uint64_t maxBytes = 0;
    DownloadProgressRule progress;
    // When set and it becomes true, the download ends as failed at the next chance.
    const std::atomic<bool>* stop = nullptr;
};

// Downloads a URL into a file, creating or truncating it. Accepted locations: https, file,
// and http to the loopback host only (nothing on the wire to tamper with); redirects are
// followed only onto https. An HTTP error status, a transfer error, a body longer than
// maxBytes, a download that breaks the progress rule or one that was stopped is a failure,
// and then the file is deleted, so a partial download never stays behind. True when the
// whole body is in the file. The file may be deleted by another thread while it is being
// written (the program's exit does that).
bool downloadToFile(const std::string& url, const std::string& path, const DownloadOptions& options);

// The progress rule and the stop flag as a transport applies them: asked whenever body bytes
// arrive and whenever the transport wakes up without any.
class DownloadWatch {
public:
    explicit DownloadWatch(const DownloadOptions& options)
        : rule_(options.progress), stop_(options.stop), mark_(std::chrono::steady_clock::now()) {}
    // False when the download must end now. `received`: the body bytes so far.
    bool keepGoing(uint64_t received) {
        if (stop_ && stop_->load()) return false;
        const auto now = std::chrono::steady_clock::now();
        if (received - markBytes_ >= rule_.bytes) {
            markBytes_ = received;
            mark_ = now;
            return true;
        }
        return now - mark_ < std::chrono::seconds(rule_.seconds);
    }
    // How long one blocking wait of the transport may take at most.
    int32_t waitLimitMs() const { return rule_.seconds * 1000; }

private:
    DownloadProgressRule rule_;
    const std::atomic<bool>* stop_;
    std::chrono::steady_clock::time_point mark_;
    uint64_t markBytes_ = 0;
};

// The same with the default progress rule and no way to stop it.
bool downloadToFile(const std::string& url, const std::string& path, uint64_t maxBytes);

}  // namespace plat
