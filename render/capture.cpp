#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/atomic_file.h"
#include "platform/base/file_open.h"
#include "render/capture.h"
#include "render/gl_api.h"
#include "render/renderer.h"

namespace {

void putU16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void prepareReadBack() {
    gl::BindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

}  // namespace

size_t bmpStride(int width) { return (size_t(width) * 3 + 3) / 4 * 4; }

void bmpHeader(int width, int height, uint8_t out[54]) {
    const uint32_t image = uint32_t(bmpStride(width) * size_t(height));
    std::memset(out, 0, 54);
    out[0] = 'B';
    out[1] = 'M';
    putU32(out + 2, 54 + image);
    putU32(out + 10, 54);
    putU32(out + 14, 40);
    putU32(out + 18, uint32_t(width));
    putU32(out + 22, uint32_t(height));
    putU16(out + 26, 1);
    putU16(out + 28, 24);
    putU32(out + 34, image);
}

bool writeBmp(const char* path, int width, int height, const uint8_t* bgrBottomUp) {
    if (width <= 0 || height <= 0 || !path) return false;
    const size_t row = size_t(width) * 3, stride = bmpStride(width);
    std::string file(54 + stride * size_t(height), '\0');
    bmpHeader(width, height, reinterpret_cast<uint8_t*>(file.data()));
    for (int y = 0; y < height; ++y) std::memcpy(file.data() + 54 + size_t(y) * stride, bgrBottomUp + size_t(y) * row, row);
    // Written beside and moved into place, as the reports are: a full disk or a kill part-way
    // leaves the earlier capture or none, never a cut one.
    return plat::writeFileAtomically(path, file);
}

bool saveFrameBmp(const char* path, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    prepareReadBack();
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3);
    // OpenGL hands the bottom row first, which is the BMP's own row order.
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    return writeBmp(path, width, height, pixels.data());
}

bool readFrameRegion(int x, int y, int width, int height, int windowHeight, std::vector<uint8_t>& out,
                     int windowWidth) {
    if (width <= 0 || height <= 0) return false;
    out.assign(size_t(width) * size_t(height) * 3, 0);
    // Only the part inside the window is read: GL leaves pixels outside it undefined.
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = windowWidth > 0 ? std::min(x + width, windowWidth) : x + width;
    const int y1 = std::min(y + height, windowHeight);
    if (x1 <= x0 || y1 <= y0) return true;
    const int w = x1 - x0, h = y1 - y0;
    prepareReadBack();
    std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 3);
    glReadPixels(x0, windowHeight - y0 - h, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows run bottom-up; the caller wants the top row first.
    for (int k = 0; k < h; ++k) {
        const uint8_t* src = pixels.data() + size_t(h - 1 - k) * size_t(w) * 3;
        uint8_t* dst = out.data() + (size_t(y0 - y + k) * size_t(width) + size_t(x0 - x)) * 3;
        std::memcpy(dst, src, size_t(w) * 3);
    }
    return true;
}
