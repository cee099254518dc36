#pragma once
// Between the event pump and the UI backend: window events reach the UI library first.
#include <SDL.h>

namespace plat::detail {

// Hands one SDL event to the UI library's platform backend when it is up.
void uiBackendProcessEvent(const SDL_Event& event);

}  // namespace plat::detail
