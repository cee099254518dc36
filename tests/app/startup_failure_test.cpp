// The built program as a subprocess: start-up failures end it with exit code 1 and the
// message on stderr, never with a box that an unattended run would wait on; the sound
// export acts before any data folder exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string err;
};

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        binary_ = fs::path(TARVION_BINARY_DIR) / "tarvion";
        if (!fs::exists(binary_)) GTEST_SKIP() << "tarvion is not built";
        fs::create_directories(dir_ / "home");
    }

    // Runs tarvion in dir_ with APPDATA = dir_/home, the env(1) options in `env` (settings,
    // or "-u NAME" to drop a variable) and these arguments; `seconds` at most. `launcher`
    // (a command that runs the rest of the line) goes right before the program.
    Outcome run(const std::string& env, const std::string& args, int seconds = 60, const std::string& launcher = "") {
        const fs::path errFile = dir_ / "stderr.txt", codeFile = dir_ / "code.txt";
        std::string command = "cd '" + dir_.string() + "' && env " + env + " APPDATA='" + (dir_ / "home").string() +
                              "' timeout " + std::to_string(seconds) + " " + launcher + " '" + binary_.string() + "' " +
                              args + " >/dev/null 2>'" + errFile.string() + "'; echo $? >'" + codeFile.string() + "'";
        std::system(command.c_str());
        Outcome r;
        std::ifstream(codeFile) >> r.exitCode;
        r.err = test_files::readText(errFile);
        return r;
    }
    TempFolder temp_;
    fs::path binary_, dir_{temp_.dir()};
};

TEST_F(ProgramRun, OpenGlBelow33EndsWithExitCode1AndTheMessage) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    for (const char* mode : {"--selftest --shots out", "--inputtest report.txt", "--gif gif"}) {
        SCOPED_TRACE(mode);
        Outcome r = run("MESA_GL_VERSION_OVERRIDE=3.2", mode);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("Tarvion: Your graphics driver does not support OpenGL 3.3."), std::string::npos) << r.err;
    }
}

TEST_F(ProgramRun, NoDisplayEndsWithExitCode1WithoutABox) {
    // Interactive, but with nothing to show a window (or a box) on.
    Outcome r = run("-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER", "");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Tarvion: "), std::string::npos) << r.err;
    // The data folder came first, and the run still ended cleanly.
    EXPECT_TRUE(fs::is_directory(dir_ / "home" / "Tarvion"));
}

// The previous version an update left beside the program goes only once this one is up: a
// new build that cannot make its window, or whose renderer fails on the graphics driver,
// keeps the way back.
TEST_F(ProgramRun, ThePreviousVersionStaysUntilTheRendererIsUp) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    const fs::path copy = dir_ / "tarvion";
    fs::copy_file(binary_, copy);
    binary_ = copy;
    test_files::write(dir_ / "tarvion.old", "the version before");
    EXPECT_EQ(run("-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER", "").exitCode, 1);
    EXPECT_TRUE(fs::exists(dir_ / "tarvion.old")) << "deleted by a start that made no window";
    const char* preloaded = std::getenv("LD_PRELOAD");
    const Outcome noShaders = run("SDL_AUDIODRIVER=dummy LD_PRELOAD='" + std::string(NO_GL_PROGRAMS_LIBRARY) +
                                      (preloaded ? std::string(":") + preloaded : std::string()) + "'",
                                  "--banner banner");
    EXPECT_EQ(noShaders.exitCode, 1);
    EXPECT_NE(noShaders.err.find("Tarvion: Shader compilation failed."), std::string::npos) << noShaders.err;
    EXPECT_TRUE(fs::exists(dir_ / "tarvion.old")) << "deleted by a start whose renderer failed";
    const Outcome shown = run("SDL_AUDIODRIVER=dummy", "--banner banner");
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_FALSE(fs::exists(dir_ / "tarvion.old"));
}

TEST_F(ProgramRun, ASpeedOrScaleOutsideItsRangeEndsWithExitCode1BeforeAnythingStarts) {
    // 1e-300 and 1e308 used to run for ever: the run's clock no longer moved.
    const std::pair<const char*, const char*> cases[] = {
        {"--selftest --shots out --speed 1e-300", "--speed takes a number from 0.01 to 10000"},
        {"--selftest --shots out --speed 1e308", "--speed takes a number from 0.01 to 10000"},
        {"--banner out --scale 0.01", "--scale takes a number from 0.25 to 8"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args);
        Outcome r = run("", args, 20);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(std::string("Tarvion: ") + message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "out"));
    }
}

TEST_F(ProgramRun, AnUnattendedRunWhoseOutputCannotBeWrittenEndsWithExitCode1) {
    // /proc takes no folder and no file, whoever asks.
    const std::pair<const char*, const char*> cases[] = {
        {"--banner /proc/tarvion-out", "Tarvion: Could not make the output folder \"/proc/tarvion-out\"."},
        {"--selftest --shots /proc", "Tarvion: Could not write into the output folder \"/proc\"."},
        {"--inputtest /proc/report.txt", "Tarvion: Could not write into the output folder \"/proc/\"."},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args);
        Outcome r = run("", args, 20);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
}

TEST_F(ProgramRun, ACaptureThatCannotBeSavedEndsTheRunWithExitCode1AndNamesIt) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    // A folder where the banner picture goes: the folder takes files, the picture cannot be written.
    fs::create_directories(dir_ / "out" / "banner.bmp");
    Outcome r = run("SDL_AUDIODRIVER=dummy", "--banner out --size 400x160 --scale 1");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Tarvion: Could not write 1 file(s):\n  out/banner.bmp"), std::string::npos) << r.err;
}

uint32_t le32(const std::string& b, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[at + i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// A WAV or BMP whose header gives the length it has: a file cut part-way claims more.
bool wholeByItsHeader(const std::string& b) {
    if (b.size() >= 44 && b.compare(0, 4, "RIFF") == 0 && b.compare(36, 4, "data") == 0)
        return le32(b, 4) + 8 == b.size() && le32(b, 40) + 44 == b.size();
    if (b.size() >= 54 && b.compare(0, 2, "BM") == 0) return le32(b, 2) == b.size();
    return false;
}

// Under a file-size limit (ulimit -f) a write past it fails as on a full disk: the run ends
// with exit code 1 and says what it could not write, instead of dying from SIGXFSZ (153) with
// nothing said. What did not fit is not there at all (nor its temporary); the rest is written
// whole. The sound export writes while the command line is read, before anything else.
TEST_F(ProgramRun, AFileSizeLimitFailsTheWritesInsteadOfEndingTheRun) {
    struct Case {
        const char* args;
        const char* limit;  // bytes
        const char* message;
        bool needsDisplay;
        const char* output;  // the folder written into
        int wholeFiles;      // the files in it afterwards, each whole
    };
    const Case cases[] = {
        // Every sound but the sniper's shot (72,044 bytes) fits.
        {"--export-sounds sounds", "65536", "tarvion: cannot write sounds/shot_sniper.wav: File too large", false,
         "sounds", 14},
        // No capture fits.
        {"--gallery out --scale 1 --size 640x360", "1024", "Tarvion: Could not write 39 file(s):\n  out/g_0_wasp.bmp",
         true, "out", 0},
    };
    fs::create_directories(dir_ / "sounds");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        if (c.needsDisplay && !std::getenv("DISPLAY")) continue;
        Outcome r = run("SDL_AUDIODRIVER=dummy", c.args, 120, std::string("prlimit --fsize=") + c.limit);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        int files = 0;
        for (const auto& entry : fs::directory_iterator(dir_ / c.output)) {
            if (entry.is_directory()) continue;
            EXPECT_TRUE(wholeByItsHeader(test_files::read(entry.path()))) << entry.path();
            ++files;
        }
        EXPECT_EQ(files, c.wholeFiles);
    }
}

TEST_F(ProgramRun, SoundExportActsBeforeAnyDataFolder) {
    fs::create_directories(dir_ / "sounds");
    Outcome r = run("-u DISPLAY", "--export-sounds sounds --selftest");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    int wavs = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "sounds"))
        if (entry.path().extension() == ".wav") ++wavs;
    EXPECT_EQ(wavs, 15);
    EXPECT_FALSE(fs::exists(dir_ / "home" / "Tarvion"));
    EXPECT_FALSE(fs::exists(dir_ / "data"));  // --selftest after it was never read
}

}  // namespace
