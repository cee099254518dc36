#pragma once
// Reading the clipboard's image back, for the tests of setClipboardImage.
#include <cstdint>
#include <vector>

namespace plat::win32 {

// The bytes held under CF_DIB and under the format named "PNG" (empty when a form is
// absent). False when the clipboard could not be opened.
bool readClipboardImage(std::vector<uint8_t>& dib, std::vector<uint8_t>& png);

}  // namespace plat::win32
