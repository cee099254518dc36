#include "app/result_image.h"

#include "app/png.h"
#include "core/profile/app.h"
#include "platform/base/files.h"
#include "platform/base/folders.h"
#include "platform/base/paths.h"
#include "platform/base/timefmt.h"
#include "platform/system/clipboard.h"
#include "render/renderer.h"

namespace {

void pushLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>((v >> (8 * k)) & 0xFF));
}
void pushLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// A PNG is a few megabytes at most; anything larger is not the file just written.
constexpr size_t kPngReadCap = 256u << 20;

}  // namespace

ResultImageFolder resultImageFolder(const App& app) {
    ResultImageFolder folder;
    if (app.automation) {
        folder.path = app.shotsDir.empty() ? app.dataDir : app.shotsDir;
        folder.label = folder.path;
        return folder;
    }
    std::string pictures;
    if (plat::picturesFolder(pictures) && !pictures.empty()) {
        folder.path = plat::joinPath(pictures, "Tarvion");
        folder.label = std::string("Pictures") + plat::pathSeparator() + "Tarvion";
        return folder;
    }
    folder.path = app.dataDir;
    folder.label = app.dataDir;
    return folder;
}

std::string resultImageFileName(const std::string& stamp) { return "Tarvion_result_" + stamp + ".png"; }

std::string savedImageToast(const std::string& folderLabel, bool copied) {
    if (copied)
        return "Copied to your clipboard \xE2\x80\x94 paste it into Discord with Ctrl+V. Also saved in " + folderLabel +
               ".";
    return "Saved in " + folderLabel + ".";
}

std::vector<uint8_t> dibFromRgb(const uint8_t* rgb, int32_t width, int32_t height) {
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    const size_t stride = (3 * w + 3) / 4 * 4;
    std::vector<uint8_t> dib;
    dib.reserve(40 + stride * h);
    pushLe32(dib, 40);
    pushLe32(dib, static_cast<uint32_t>(w));
    pushLe32(dib, static_cast<uint32_t>(h));  // positive: rows run bottom-up
    pushLe16(dib, 1);                          // planes
    pushLe16(dib, 24);                         // bits per pixel
    pushLe32(dib, 0);                          // BI_RGB
    pushLe32(dib, static_cast<uint32_t>(stride * h));
    for (int k = 0; k < 4; ++k) pushLe32(dib, 0);  // resolution and palette counts
    // The pad bytes are zero: a reader may show them, and stale memory must not leak into them.
    dib.resize(40 + stride * h, 0);
    for (size_t row = 0; row < h; ++row) {
        const uint8_t* src = rgb + (h - 1 - row) * 3 * w;
        uint8_t* dst = dib.data() + 40 + row * stride;
        for (size_t x = 0; x < w; ++x) {
            dst[3 * x + 0] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x + 0];
        }
    }
    return dib;
}

bool copyImageToClipboard(void* window, const std::vector<uint8_t>& rgb, int32_t width, int32_t height,
                          const std::string& pngPath) {
    if (!plat::clipboardImageSupported()) return false;
    const std::vector<uint8_t> dib = dibFromRgb(rgb.data(), width, height);
    std::string file;
    std::vector<uint8_t> png;
    if (plat::readFileCapped(pngPath, kPngReadCap, file) == plat::ReadResult::Ok) png.assign(file.begin(), file.end());
    return plat::setClipboardImage(window, dib, png);
}

void storeResultImage(App& app, const std::vector<uint8_t>& rgb, int32_t width, int32_t height,
                      const std::string& stamp) {
    const ResultImageFolder folder = resultImageFolder(app);
    plat::makeFolders(folder.path);  // an existing folder is fine; a failure shows at the write
    const std::string path = plat::joinPath(folder.path, resultImageFileName(stamp));
    if (width <= 0 || height <= 0 || rgb.size() < 3 * static_cast<size_t>(width) * static_cast<size_t>(height) ||
        !writePng(path, rgb.data(), width, height)) {
        app.toast = kSaveFailedToast;
        return;
    }
    const bool copied = !app.automation && copyImageToClipboard(app.hwnd, rgb, width, height, path);
    app.toast = savedImageToast(folder.label, copied);
}

void saveShareImage(App& app) {
    const int32_t x = app.shareCaptureRect[0], y = app.shareCaptureRect[1];
    const int32_t w = app.shareCaptureRect[2], h = app.shareCaptureRect[3];
    // Once per request, whatever happens below.
    app.shareCapturePending = false;
    app.shareRequested = false;
    std::vector<uint8_t> rgb;
    if (!readFrameRegion(x, y, w, h, app.height, rgb, app.width)) {
        app.toast = kCaptureFailedToast;
        return;
    }
    storeResultImage(app, rgb, w, h, plat::formatLocalTime("%Y%m%d_%H%M%S"));
}
