#pragma once
// The result image: the share card read back from the frame, saved as a PNG and put on the
// clipboard. saveShareImage is the whole action; the pieces are here so they can be checked
// without a window.
#include <cstdint>
#include <string>
#include <vector>

struct App;

// The share card the UI drew this frame (shareCaptureRect) read back from the frame,
// saved as a PNG under Pictures/Tarvion (the data folder when Pictures is unknown, the
// shots folder under automation) and put on the clipboard where the system allows;
// App.toast says what happened. Clears shareCapturePending and shareRequested first.
// Call after the UI is rendered and before the buffers are swapped.
void saveShareImage(App& app);

inline constexpr const char* kCaptureFailedToast = "Couldn't capture the image.";
inline constexpr const char* kSaveFailedToast = "Couldn't save the image.";

// Where result images go and how the toast names that folder.
struct ResultImageFolder {
    std::string path;   // the folder itself
    std::string label;  // "Pictures/Tarvion" for the Pictures folder, else the path
};
// Under automation the shots folder (the data folder when there is none); otherwise the
// Pictures folder's "Tarvion" folder, or the data folder when Pictures is unknown.
ResultImageFolder resultImageFolder(const App& app);

// "Tarvion_result_" + stamp + ".png"; the stamp is the local time as "%Y%m%d_%H%M%S".
std::string resultImageFileName(const std::string& stamp);

// The toast after a saved image: the clipboard text when it was copied, else saved-only.
std::string savedImageToast(const std::string& folderLabel, bool copied);

// A device-independent bitmap of top-down RGB pixels: the 40-byte info header (height
// positive, 24 bits, uncompressed) and the rows bottom-up as B, G, R, each padded with zero
// bytes to a multiple of 4.
std::vector<uint8_t> dibFromRgb(const uint8_t* rgb, int32_t width, int32_t height);

// The image on the clipboard as a bitmap and, read back from pngPath, as "PNG". True when
// the bitmap form was placed.
bool copyImageToClipboard(void* window, const std::vector<uint8_t>& rgb, int32_t width, int32_t height,
                          const std::string& pngPath);

// What saveShareImage does once the pixels are in hand: folder, file, clipboard, toast.
// `stamp` names the file (see resultImageFileName).
void storeResultImage(App& app, const std::vector<uint8_t>& rgb, int32_t width, int32_t height,
                      const std::string& stamp);
