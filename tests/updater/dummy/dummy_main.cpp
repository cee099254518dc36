// Stands in for a new build of the program: started by the install, it leaves a mark
// beside itself and ends, after TARVION_DUMMY_HOLD_MS milliseconds when that is set (a
// program that is still running while its file is moved).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

int leaveMark(std::filesystem::path self) {
    std::ofstream(self.concat(".ran")) << "ran\n";
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
