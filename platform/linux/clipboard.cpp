// An X11 image selection needs an owner that keeps answering requests (and the INCR
// protocol for anything of this size) for as long as the image should stay pasteable; SDL
// offers text only. Until that owner exists the image goes to a file only, and callers say
// so instead of claiming a copy.
#include "platform/clipboard.h"

namespace plat {

bool clipboardImageSupported() { return false; }

bool setClipboardImage(void*, const std::vector<uint8_t>&, const std::vector<uint8_t>&) { return false; }

}  // namespace plat
