// Stands in for a new build of the program: started by the install, it leaves a mark
// beside itself and ends.
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 1 || !argv[0]) return 1;
    std::ofstream(std::string(argv[0]) + ".ran") << "ran\n";
    return 0;
}
