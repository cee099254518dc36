#pragma once
// The downloads' pace and stop rules as cases that run the same natively and under Wine,
// against the loopback server: each suite calls them from its own tests.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/system/net.h"
#include "tests/support/files.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_folder.h"

namespace download_cases {

// A short progress rule, so the cases take seconds: 1 KiB must arrive every 2 s.
inline plat::DownloadOptions shortRule(uint64_t maxBytes) {
    plat::DownloadOptions options;
    options.maxBytes = maxBytes;
    options.progress = plat::DownloadProgressRule{1024, 2};
    return options;
}

// A server that keeps no pace is given up and its file deleted; one that keeps the pace is
// read whole under the same rule.
inline void noPaceIsGivenUp(LoopbackServer& server, const TempFolder& dir) {
    // Two bytes every half second would take days; a server that never answers, for ever.
    for (const char* path : {"/trickle/1000000", "/stall"}) {
        bool ok = true;
        dir.write("out", "stale");
        EXPECT_TRUE(endsWithin(std::chrono::seconds(20), server,
                               [&] { ok = plat::downloadToFile(server.url(path), dir.file("out"), shortRule(2000000)); }))
            << path << " was never given up";
        EXPECT_FALSE(ok) << path;
        EXPECT_FALSE(std::filesystem::exists(dir.at("out"))) << path;
    }
    const std::string body(3000000, 'q');
    server.serve("big.bin", body);
    ASSERT_TRUE(plat::downloadToFile(server.url("/big.bin"), dir.file("big"), shortRule(4000000)));
    EXPECT_EQ(test_files::read(dir.at("big")), body);
}

// A stop while the body is on its way ends the download and leaves no file.
inline void aStopEndsIt(LoopbackServer& server, const TempFolder& dir) {
    std::atomic<bool> stop{false};
    plat::DownloadOptions options;
    options.maxBytes = 2000000;
    options.stop = &stop;  // and the default rule, which would not end this for 30 s
    bool ok = true;
    EXPECT_TRUE(endsWithin(std::chrono::seconds(20), server, [&] {
        std::thread stopper([&] {
            server.waitForRequest();
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            stop.store(true);
        });
        ok = plat::downloadToFile(server.url("/trickle/1000000"), dir.file("out"), options);
        stopper.join();
    })) << "the stop was not noticed";
    EXPECT_FALSE(ok);
    EXPECT_FALSE(std::filesystem::exists(dir.at("out")));
}

}  // namespace download_cases
