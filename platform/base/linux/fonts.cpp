#include "platform/base/fonts.h"

#include "platform/base/paths.h"

namespace plat {

std::string uiFontFile(UiFace face) {
    const char* candidates[2] = {nullptr, nullptr};
    switch (face) {
        case UiFace::Regular:
            candidates[0] = "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf";
            break;
        case UiFace::Semibold:
            candidates[0] = "/usr/share/fonts/truetype/open-sans/OpenSans-Semibold.ttf";
            candidates[1] = "/usr/share/fonts/truetype/open-sans/OpenSans-SemiBold.ttf";
            break;
        case UiFace::Bold:
            candidates[0] = "/usr/share/fonts/truetype/open-sans/OpenSans-Bold.ttf";
            break;
        case UiFace::Symbols:
            candidates[0] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
            break;
    }
    for (const char* c : candidates) {
        if (c && fileExists(c)) return c;
    }
    return {};
}

}  // namespace plat
