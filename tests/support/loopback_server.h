#pragma once
// The loopback HTTP server of the download tests (tests/updater/loopback_server.py, run by
// TARVION_PYTHON, its path in UPDATER_SERVER_SCRIPT) on 127.0.0.1, serving the www folder of
// a temporary folder of its own. It ends by itself after a minute at the latest, so a failed
// test never leaves it behind for long. The Windows tests run under Wine and start it on
// the Linux side through Wine's "start /unix", in a folder under Z:\tmp (Wine maps Z: onto
// the Linux root).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/time_limit.h"

class LoopbackServer {
public:
#ifdef _WIN32
    LoopbackServer() : dir_(std::filesystem::path("Z:\\tmp")) {
        const std::string root = linuxPathOf(dir_.at("www"));
        const std::string portFile = linuxPathOf(dir_.at("port"));
        if (root.empty()) return;
        std::filesystem::create_directory(dir_.at("www"));
        // Through sh: Wine's "start /unix" keeps the quotes of the first argument after the
        // program, and of the one after an argument that starts with a slash.
        const std::string command = "start /unix /bin/sh -c \"exec '" + std::string(TARVION_PYTHON) + "' '" +
                                    UPDATER_SERVER_SCRIPT + "' '" + root + "' '" + portFile + "' 60\"";
        if (std::system(command.c_str()) != 0) return;
        waitForPort();
    }
#else
    LoopbackServer() {
        std::filesystem::create_directory(dir_.at("www"));
        // Without the sanitizer run's preloaded GL driver, which makes Python's start slow
        // enough on a busy machine to miss the wait for its port.
        const std::string command = std::string("env -u LD_PRELOAD \"") + TARVION_PYTHON + "\" \"" +
                                    UPDATER_SERVER_SCRIPT + "\" \"" + dir_.file("www") + "\" \"" + dir_.file("port") +
                                    "\" 60 >/dev/null 2>&1 &";
        if (std::system(command.c_str()) != 0) return;
        waitForPort();
    }
#endif
    ~LoopbackServer() {
        stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Ends the server and the answers it is still trickling or holding.
    void stop() const { dir_.write("stop", ""); }
    bool ready() const { return port_ != 0; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    void serve(const std::string& name, const std::string& bytes) const {
        test_files::write(dir_.at("www") / test_files::u8path(name), bytes);
    }
    // The request paths so far, query included, in arrival order.
    std::vector<std::string> requests() const { return test_files::lines(test_files::read(dir_.at("requests.log"))); }
    // Waits up to five seconds for the first request to arrive; true once it has.
    bool waitForRequest() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (requests().empty()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return true;
    }

private:
    // Python may take long to start on a loaded machine (sanitizer builds, many jobs at once):
    // up to half a minute, but no longer than the port file takes to appear.
    void waitForPort() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (port_ == 0 && std::chrono::steady_clock::now() < deadline) {
            const std::string text = test_files::read(dir_.at("port"));
            if (!text.empty()) port_ = std::atoi(text.c_str());
            else std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
#ifdef _WIN32
    // The Linux path of a folder under Z:.
    static std::string linuxPathOf(const std::filesystem::path& windowsPath) {
        std::string text = test_files::utf8(windowsPath);
        if (text.size() < 2 || (text[0] != 'Z' && text[0] != 'z') || text[1] != ':') return std::string();
        text.erase(0, 2);
        for (char& c : text)
            if (c == '\\') c = '/';
        return text;
    }
#endif

    TempFolder dir_;
    int port_ = 0;
};

// Runs `body` with a time limit; when it is still running then, the server is stopped (so
// the body ends after all) and the result is false.
inline bool endsWithin(std::chrono::seconds limit, const LoopbackServer& server, const std::function<void()>& body) {
    return time_limit::finishesWithin(limit, body, [&server] { server.stop(); });
}
