#pragma once
// Putting an image on the system clipboard.
#include <cstdint>
#include <vector>

namespace plat {

// Whether this system build can put an image on the clipboard at all.
bool clipboardImageSupported();

// Replaces the clipboard's content with one image in two forms: `dib`, a device-independent
// bitmap (40-byte info header, then bottom-up BGR rows), and `png`, the bytes of a PNG file
// offered under the format named "PNG" (skipped when empty). True when the bitmap form was
// placed; false when the clipboard could not be opened or the system cannot hold images.
bool setClipboardImage(void* window, const std::vector<uint8_t>& dib, const std::vector<uint8_t>& png);

}  // namespace plat
