#pragma once
// Tests that inject input share one X server with every other test process that ctest runs
// at the same time; injected counts must not reach another test's listener. This lock (a
// folder: making one is atomic) lets one injecting test run at a time.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

class XTestLock {
public:
    XTestLock() {
        const char* display = std::getenv("DISPLAY");
        std::string name = "tarvion-xtest-lock";
        for (const char* c = display ? display : ""; *c; ++c) name += (*c == ':' || *c == '/') ? '_' : *c;
        path_ = std::filesystem::temp_directory_path() / name;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        std::error_code ec;
        while (!std::filesystem::create_directory(path_, ec)) {
            // A lock left by a crashed test goes stale after a minute.
            auto written = std::filesystem::last_write_time(path_, ec);
            if (!ec && std::filesystem::file_time_type::clock::now() - written > std::chrono::seconds(60))
                std::filesystem::remove(path_, ec);
            if (std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~XTestLock() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    XTestLock(const XTestLock&) = delete;
    XTestLock& operator=(const XTestLock&) = delete;

private:
    std::filesystem::path path_;
};
