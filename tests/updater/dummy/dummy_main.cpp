// Stands in for a new build of the program: started by the install, it takes the hand-over
// and says that it is up as the program does (unless told to die or keep quiet first),
// leaves a mark beside itself and ends, after TARVION_DUMMY_HOLD_MS milliseconds when that
// is set (a program that is still running while its file is moved).
//   TARVION_DUMMY_EXIT=N    ends with exit code N before it says anything
//   TARVION_DUMMY_CRASH=1   crashes before it says anything
//   TARVION_DUMMY_SILENT=1  never says anything, and waits to be ended
//   TARVION_DUMMY_FAIL_UP=1 takes the hand-over, then ends with exit code 1 before it is up
//                           (as a build whose window or renderer fails)
// Built once more linked against a library of its own (TARVION_DUMMY_NEEDS_LIBRARY), which a
// test then removes: a build the system starts but whose loader gives up at once.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/base/paths.h"
#include "platform/system/exe.h"

#ifdef TARVION_DUMMY_NEEDS_LIBRARY
#include "tests/updater/dummy/dummy_library.h"
#endif

namespace {

int leaveMark(std::filesystem::path self) {
#ifdef TARVION_DUMMY_NEEDS_LIBRARY
    if (dummyLibraryAnswer() != 42) return 2;
#endif
    if (const char* code = std::getenv("TARVION_DUMMY_EXIT")) return std::atoi(code);
    if (std::getenv("TARVION_DUMMY_CRASH")) std::raise(SIGSEGV);
    if (std::getenv("TARVION_DUMMY_SILENT")) {
        std::this_thread::sleep_for(std::chrono::minutes(5));
        return 0;
    }
    // The mark says how the start went: told as a successor, and nothing of the hand-over
    // left for what this program would start.
    const bool successor = plat::takeSuccessorHandOver();
    if (std::getenv("TARVION_DUMMY_FAIL_UP")) return 1;
    plat::confirmSuccessorStarted();
    std::string mark = successor ? "ran as successor\n" : "ran\n";
    bool left = false;
    plat::getEnv("TARVION_PROFILE_HANDOVER", &left);
    if (left) mark += "hand-over left\n";
    std::ofstream(self.concat(".ran"), std::ios::binary) << mark;
    if (const char* hold = std::getenv("TARVION_DUMMY_HOLD_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(hold)));
    return 0;
}

}  // namespace

#ifdef _WIN32
// The wide arguments: a narrow argv[0] would lose a folder name outside the code page.
int wmain(int argc, wchar_t** argv) { return argc < 1 || !argv[0] ? 1 : leaveMark(argv[0]); }
#else
int main(int argc, char** argv) { return argc < 1 || !argv[0] ? 1 : leaveMark(argv[0]); }
#endif
