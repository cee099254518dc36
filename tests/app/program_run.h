#pragma once
// The built program started as a player would start it, in a folder of the test's own with
// its output in run.log there: the native build on an X server of its own (xvfb-run) with
// APPDATA in the folder's "home", or the Windows build under Wine (the Windows test stage
// names it in TARVION_WINE_EXE and has the prefix and display ready).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace program_run {

inline const std::filesystem::path kNativeBinary = std::filesystem::path(TARVION_BINARY_DIR) / "tarvion";

// Why the native build cannot be run here, or "".
inline std::string whyNotNative() {
    if (!std::filesystem::exists(kNativeBinary)) return "tarvion is not built";
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) return "no xvfb-run";
    return "";
}

// Runs a shell command line in `dir`; its exit code, -1 when it told none.
inline int runIn(const std::filesystem::path& dir, const std::string& command) {
    const std::string line = "cd '" + dir.string() + "' && " + command + " >run.log 2>&1; echo $? >code.txt";
    std::system(line.c_str());
    int code = -1;
    std::ifstream(dir / "code.txt") >> code;
    return code;
}

// The native build with these arguments, for `seconds` at most.
inline int runNative(const std::filesystem::path& dir, const std::string& args, int seconds) {
    return runIn(dir, "SDL_AUDIODRIVER=dummy APPDATA='" + dir.string() + "/home' timeout " + std::to_string(seconds) +
                          " xvfb-run -a -s '-screen 0 1920x1080x24' '" + kNativeBinary.string() + "' " + args);
}

// The Windows build `exe` under Wine.
inline int runUnderWine(const char* exe, const std::filesystem::path& dir, const std::string& args, int seconds) {
    return runIn(dir, "timeout " + std::to_string(seconds) + " wine '" + exe + "' " + args);
}

}  // namespace program_run
