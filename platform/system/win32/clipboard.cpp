// The image goes on the clipboard twice: as CF_DIB, which every program can paste, and
// under the registered format "PNG", which chat programs prefer.
#include "platform/system/clipboard.h"

#include <windows.h>

#include <cstring>

namespace plat {

namespace {

const char* const kPngFormatName = "PNG";

// Hands a copy of the bytes to the clipboard under a format; the clipboard owns the memory
// once this succeeds.
bool placeOnClipboard(UINT format, const std::vector<uint8_t>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

}  // namespace

bool clipboardImageSupported() { return true; }

bool setClipboardImage(void* window, const std::vector<uint8_t>& dib, const std::vector<uint8_t>& png) {
    // Without an owner window EmptyClipboard leaves the clipboard ownerless and every
    // SetClipboardData after it fails.
    if (!window || dib.empty()) return false;
    if (!OpenClipboard(static_cast<HWND>(window))) return false;
    bool placed = false;
    if (EmptyClipboard()) {
        placed = placeOnClipboard(CF_DIB, dib);
        const UINT pngFormat = RegisterClipboardFormatA(kPngFormatName);
        if (pngFormat != 0 && !png.empty()) placeOnClipboard(pngFormat, png);
    }
    CloseClipboard();
    return placed;
}

// Windows keeps what was placed on the clipboard after the program ends.
bool releaseClipboard(int32_t) { return false; }

}  // namespace plat
