#pragma once
// Telling the user about a failure that ends the program.
#include <string>

namespace plat {

// Writes "Tarvion: <text>" to stderr; in an interactive run also shows an error box with
// the caption "Tarvion" and waits for it to be closed. Unattended runs never block on a box.
void reportError(const std::string& text, bool interactive);

}  // namespace plat
