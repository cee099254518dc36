#pragma once
// Helpers of the tests that run as Windows programs under Wine: scratch folders named in
// UTF-8 (std::filesystem would read narrow names in the ANSI code page), whole-file reads
// and writes by wide path, and the loopback HTTP server of the updater tests, started on
// the Linux side through Wine's "start /unix".
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

#include "platform/base/text.h"

namespace win_test {

namespace fs = std::filesystem;

inline fs::path u8path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

inline std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeAll(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Waits up to about five seconds for a file to appear.
inline bool waitForFile(const fs::path& path) {
    for (int i = 0; i < 200 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return fs::exists(path);
}

// A fresh folder under `parent` (the system's temporary folder by default), removed again
// with everything in it.
class ScratchDir {
public:
    explicit ScratchDir(const fs::path& parent = fs::temp_directory_path()) {
        std::random_device rd;
        for (int i = 0; i < 100 && path_.empty(); ++i) {
            fs::path p = parent / ("tarvion_win_" + std::to_string(rd()));
            if (fs::create_directories(p)) path_ = p;
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const fs::path& path() const { return path_; }
    fs::path at(const std::string& utf8Name) const { return path_ / u8path(utf8Name); }
    // The UTF-8 path of the folder, or of a name in it, as the platform layer takes it.
    std::string str(const std::string& utf8Name = std::string()) const {
        return utf8Name.empty() ? utf8(path_) : utf8(at(utf8Name));
    }

private:
    fs::path path_;
};

// Runs a command line through cmd.exe; true when it exited with 0.
inline bool runCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

// Imports .reg text (written here in UTF-8, after the editor's header line; the file is
// UTF-16 with a byte-order mark). True when reg import took it.
inline bool importRegistry(const ScratchDir& dir, const std::string& utf8Text) {
    const std::u16string units = plat::utf8ToUtf16("Windows Registry Editor Version 5.00\r\n\r\n" + utf8Text);
    std::string bytes = "\xFF\xFE";
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    writeAll(dir.at("plant.reg"), bytes);
    return runCommand("reg import \"" + dir.str("plant.reg") + "\" >NUL 2>&1");
}

// Wine maps drive Z: onto the Linux root, so a folder under Z:\tmp is also /tmp/... for
// the Linux programs Wine starts.
inline std::string linuxPathOf(const fs::path& windowsPath) {
    std::string text = utf8(windowsPath);
    if (text.size() < 2 || (text[0] != 'Z' && text[0] != 'z') || text[1] != ':') return std::string();
    text.erase(0, 2);
    for (char& c : text)
        if (c == '\\') c = '/';
    return text;
}

// The updater tests' Python server (tests/updater/loopback_server.py) on 127.0.0.1; it ends
// by itself after a minute at the latest.
class LoopbackServer {
public:
    LoopbackServer() : dir_(fs::path("Z:\\tmp")) {
        fs::create_directory(dir_.path() / "www");
        const std::string root = linuxPathOf(dir_.path() / "www");
        const std::string portFile = linuxPathOf(dir_.path() / "port");
        if (root.empty()) return;
        // Through sh: Wine's "start /unix" keeps the quotes of the first argument after
        // the program, and of the one after an argument that starts with a slash.
        const std::string command = "start /unix /bin/sh -c \"exec /usr/bin/python3 '" +
                                    std::string(UPDATER_SERVER_SCRIPT) + "' '" + root + "' '" + portFile + "' 60\"";
        if (!runCommand(command)) return;
        for (int i = 0; i < 400 && port_ == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            const std::string text = readAll(dir_.path() / "port");
            if (!text.empty()) port_ = std::atoi(text.c_str());
        }
    }
    ~LoopbackServer() {
        stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    // Ends the server and the answers it is still trickling or holding.
    void stop() const { writeAll(dir_.path() / "stop", ""); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool ready() const { return port_ != 0; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    void serve(const std::string& name, const std::string& bytes) const { writeAll(dir_.path() / "www" / name, bytes); }
    std::vector<std::string> requests() const {
        std::vector<std::string> lines;
        std::istringstream in(readAll(dir_.path() / "requests.log"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    ScratchDir dir_;
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

}  // namespace win_test
