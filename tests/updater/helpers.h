#pragma once
// Fixtures of the updater tests: private temporary folders and a loopback HTTP server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace updater_test {

namespace fs = std::filesystem;

inline std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed again with its contents.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        for (int i = 0; i < 100 && path_.empty(); ++i) {
            fs::path p = fs::temp_directory_path() / ("tarvion_upd_" + std::to_string(rd()));
            if (fs::create_directory(p)) path_ = p;
        }
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    std::string str(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

inline std::string fileUrl(const fs::path& p) { return "file://" + fs::absolute(p).string(); }

// Python's HTTP server on 127.0.0.1 serving dir()/www; it ends by itself after a minute at
// the latest, so a failed test never leaves it behind for long.
class LoopbackServer {
public:
    LoopbackServer() {
        fs::create_directory(dir_.path() / "www");
        const std::string portFile = dir_.str("port");
        const std::string command = std::string("\"") + TARVION_PYTHON + "\" \"" + UPDATER_SERVER_SCRIPT +
                                    "\" \"" + dir_.str("www") + "\" \"" + portFile + "\" 60 >/dev/null 2>&1 &";
        if (std::system(command.c_str()) != 0) return;
        for (int i = 0; i < 200 && port_ == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            std::string text = readAll(portFile);
            if (!text.empty()) port_ = std::atoi(text.c_str());
        }
    }
    ~LoopbackServer() {
        stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
    }
    // Ends the server and the answers it is still trickling or holding.
    void stop() const { writeAll(dir_.path() / "stop", ""); }
    bool ready() const { return port_ != 0; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    void serve(const std::string& name, const std::string& bytes) const { writeAll(dir_.path() / "www" / name, bytes); }
    // The request paths so far, query included, in arrival order.
    std::vector<std::string> requests() const {
        std::vector<std::string> lines;
        std::istringstream in(readAll(dir_.path() / "requests.log"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    TempDir dir_;
    int port_ = 0;
};

// Runs `body` on its own thread and gives it `limit`. When it is still running then, the
// server is stopped (so the body ends after all) and the result is false: it would have
// gone on for as long as the server liked.
inline bool endsWithin(std::chrono::seconds limit, const LoopbackServer& server, const std::function<void()>& body) {
    std::future<void> done = std::async(std::launch::async, body);
    if (done.wait_for(limit) == std::future_status::ready) {
        done.get();
        return true;
    }
    server.stop();
    done.get();
    return false;
}

}  // namespace updater_test
