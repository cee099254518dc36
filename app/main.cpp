#include <cstdio>

#include "core/app.h"
#include "platform/paths.h"

int main(int, char**) {
    App app;
    std::printf("Tarvion %s\n", "2.1.1");
    std::printf("This build holds the profile record and its data folder (%s);\n",
                plat::defaultDataFolder().c_str());
    std::printf("the window, the drills and the screens are not built yet.\n");
    return 0;
}
