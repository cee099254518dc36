// Plays the running program during an update: moves its own file aside as the install does,
// then asks the updater to clear the ".old" companion. The updater must still work on the
// name the program started under, not on the one the system reports after the move.
#include <cstdio>
#include <string>

#include "platform/system/exe.h"
#include "updater/updater.h"

int main() {
    const std::string self = plat::runningExecutablePath();
    if (self.empty() || !plat::moveExecutable(self, self + ".moved")) return 2;
    updater::deleteOldExe();
    std::printf("%s\n", plat::runningExecutablePath().c_str());
    return 0;
}
