// The result image on the clipboard, read back in both forms.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/system/clipboard.h"
#include "platform/system/window.h"
#include "tests/support/test_window.h"

namespace {

// What the clipboard holds under a format, as another program pasting would read it.
std::vector<uint8_t> clipboardBytes(UINT format) {
    std::vector<uint8_t> out;
    HANDLE memory = format ? GetClipboardData(format) : nullptr;
    if (!memory) return out;
    if (const uint8_t* bytes = static_cast<const uint8_t*>(GlobalLock(memory))) {
        out.assign(bytes, bytes + GlobalSize(memory));
        GlobalUnlock(memory);
    }
    return out;
}

bool readClipboardImage(std::vector<uint8_t>& dib, std::vector<uint8_t>& png) {
    if (!OpenClipboard(nullptr)) return false;
    dib = clipboardBytes(CF_DIB);
    png = clipboardBytes(RegisterClipboardFormatA("PNG"));
    CloseClipboard();
    return true;
}

// A 2 x 1 bitmap: the 40-byte info header, then one row of two BGR pixels padded to 8.
std::vector<uint8_t> tinyDib() {
    std::vector<uint8_t> dib = {40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0};
    dib.resize(40, 0);
    for (uint8_t b : {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0}) dib.push_back(b);
    return dib;
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testWindow_.open("clipboard test", 64, 64)) << testWindow_.why();
        window_ = testWindow_.get();
    }
    TestWindow testWindow_;
    void* window_ = nullptr;
};

TEST_F(Clipboard, BitmapAndPngRoundTrip) {
    ASSERT_TRUE(plat::clipboardImageSupported());
    const std::vector<uint8_t> dib = tinyDib();
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
    ASSERT_TRUE(plat::setClipboardImage(window_, dib, png));
    std::vector<uint8_t> gotDib, gotPng;
    ASSERT_TRUE(readClipboardImage(gotDib, gotPng));
    EXPECT_EQ(gotDib, dib);
    EXPECT_EQ(gotPng, png);
}

TEST_F(Clipboard, WithoutPngOnlyTheBitmapAndNothingStale) {
    ASSERT_TRUE(plat::setClipboardImage(window_, tinyDib(), {1, 2, 3}));
    ASSERT_TRUE(plat::setClipboardImage(window_, tinyDib(), {}));
    std::vector<uint8_t> gotDib, gotPng;
    ASSERT_TRUE(readClipboardImage(gotDib, gotPng));
    EXPECT_EQ(gotDib, tinyDib());
    EXPECT_TRUE(gotPng.empty());  // the earlier PNG went with the emptied clipboard
}

TEST_F(Clipboard, NoWindowOrNoBitmapIsAFailure) {
    EXPECT_FALSE(plat::setClipboardImage(nullptr, tinyDib(), {}));
    EXPECT_FALSE(plat::setClipboardImage(window_, {}, {1}));
}

}  // namespace
