// The image goes on the clipboard twice: as CF_DIB, which every program can paste, and
// under the registered format "PNG", which chat programs prefer.
#include "platform/clipboard.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/clipboard_read.h"

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

void copyFromClipboard(UINT format, std::vector<uint8_t>& out) {
    out.clear();
    if (format == 0) return;
    HANDLE memory = GetClipboardData(format);
    if (!memory) return;
    const void* source = GlobalLock(memory);
    if (!source) return;
    const size_t size = GlobalSize(memory);
    const uint8_t* bytes = static_cast<const uint8_t*>(source);
    out.assign(bytes, bytes + size);
    GlobalUnlock(memory);
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

namespace win32 {

bool readClipboardImage(std::vector<uint8_t>& dib, std::vector<uint8_t>& png) {
    dib.clear();
    png.clear();
    if (!OpenClipboard(nullptr)) return false;
    copyFromClipboard(CF_DIB, dib);
    copyFromClipboard(RegisterClipboardFormatA(kPngFormatName), png);
    CloseClipboard();
    return true;
}

}  // namespace win32

}  // namespace plat
