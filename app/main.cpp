#include "app/command_line.h"
#include "app/shell.h"
#include "platform/base/process.h"
#include "platform/system/entry.h"

int programMain(const std::vector<std::string>& args) { return runTarvion(args); }

#if !defined(_WIN32)
int main(int argc, char** argv) {
    // Before the command line is read: --export-sounds writes while it is.
    plat::prepareProcess();
    return programMain(argumentsOf(argc, argv));
}
#endif
