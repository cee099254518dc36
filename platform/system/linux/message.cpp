#include "platform/system/message.h"

#include <SDL.h>

#include <cstdio>

namespace plat {

void reportError(const std::string& text, bool interactive) {
    std::fprintf(stderr, "Tarvion: %s\n", text.c_str());
    std::fflush(stderr);
    if (interactive) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Tarvion", text.c_str(), nullptr);
}

}  // namespace plat
