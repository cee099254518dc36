#pragma once
#include <string>

namespace plat {

// The UI's faces: the body face, its semibold and its bold cut, and a wide-coverage face
// merged in for the arrows and maths signs the body face lacks.
enum class UiFace { Regular, Semibold, Bold, Symbols };

// Path of the font file for a face; empty when the machine has none.
std::string uiFontFile(UiFace face);

}  // namespace plat
