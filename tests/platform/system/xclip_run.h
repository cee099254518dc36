#pragma once
// Runs xclip, the command-line X clipboard client, as another program on the display would
// paste or copy.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace xclip {

inline bool available() { return std::getenv("DISPLAY") && std::system("command -v xclip >/dev/null 2>&1") == 0; }

// Runs an xclip command line (under a time limit, so a stuck owner fails the test instead of
// hanging it) with its output in `out`; its exit code. Xvfb now and then drops a connection
// made just as another client leaves: xclip then cannot open the display and is run again.
inline int run(const std::string& args, const std::filesystem::path& out) {
    const std::filesystem::path err = out.string() + ".err";
    int code = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::string command =
            "timeout 20 xclip " + args + " > '" + out.string() + "' 2> '" + err.string() + "'";
        code = std::system(command.c_str());
        if (code == 0 || test_files::read(err).find("Can't open display") == std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::filesystem::remove(err);
    return code;
}

// What a paste of `target` from the clipboard gives; nullopt when it is refused.
inline std::optional<std::vector<uint8_t>> paste(const std::string& target) {
    const TempFolder dir;
    const int code = run("-selection clipboard -t '" + target + "' -o", dir.at("paste"));
    const std::string bytes = test_files::read(dir.at("paste"));
    if (code != 0) return std::nullopt;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace xclip
