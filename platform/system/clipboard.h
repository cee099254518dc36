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
// On X11 the image is offered as "image/png" (the PNG bytes; the bitmap has no X11 form), by
// an owner with its own connection and thread that answers pastes until another program
// takes the clipboard; there the result is true when the selection is ours with the PNG,
// false without a reachable X server or without PNG bytes.
bool setClipboardImage(void* window, const std::vector<uint8_t>& dib, const std::vector<uint8_t>& png);

// At quit: offers what this program still holds on the clipboard to a running clipboard
// manager, waits at most maxWaitMs for it to confirm, and stops answering pastes. True when
// a manager confirmed it keeps the content. Where the system keeps clipboard data by itself
// (Windows) there is nothing to hand over and the result is false.
bool releaseClipboard(int32_t maxWaitMs);

}  // namespace plat
