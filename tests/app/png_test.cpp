// The PNG encoder's container and stored-deflate layout, its checksums, the clipboard
// bitmap, and where the result image goes with which toast.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/png.h"
#include "app/result_image.h"
#include "core/profile/app.h"
#include "platform/system/clipboard.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}
uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8); }

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(n);
    for (uint8_t& b : out) b = static_cast<uint8_t>(gen());
    return out;
}

struct StoredBlock {
    bool final = false;
    uint32_t len = 0;
    uint32_t nlen = 0;
};

// Walks the stored blocks of a zlib stream; returns the inflated bytes.
std::vector<uint8_t> inflateStored(const std::vector<uint8_t>& z, std::vector<StoredBlock>& blocks) {
    std::vector<uint8_t> out;
    size_t pos = 2;
    for (;;) {
        StoredBlock b;
        b.final = z.at(pos) & 1;
        EXPECT_EQ(z[pos] & 6, 0) << "block type must be stored";
        b.len = le16(z, pos + 1);
        b.nlen = le16(z, pos + 3);
        blocks.push_back(b);
        out.insert(out.end(), z.begin() + static_cast<long>(pos + 5), z.begin() + static_cast<long>(pos + 5 + b.len));
        pos += 5 + b.len;
        if (b.final) break;
    }
    EXPECT_EQ(pos + 4, z.size()) << "only the Adler-32 follows the last block";
    return out;
}

TEST(PngChecksums, KnownValuesAndContinuation) {
    const std::vector<uint8_t> digits = bytesOf("123456789");
    EXPECT_EQ(crc32Update(0, digits.data(), digits.size()), 0xCBF43926u);
    const std::vector<uint8_t> iend = bytesOf("IEND");
    EXPECT_EQ(crc32Update(0, iend.data(), iend.size()), 0xAE426082u);
    const std::vector<uint8_t> wiki = bytesOf("Wikipedia");
    EXPECT_EQ(adler32Update(1, wiki.data(), wiki.size()), 0x11E60398u);
    EXPECT_EQ(adler32Update(1, nullptr, 0), 1u);

    // Split runs give the whole run's value; long runs of 0xFF stress the deferred modulo.
    for (size_t n : {size_t(5551), size_t(5552), size_t(5553), size_t(100000)}) {
        const std::vector<uint8_t> ff(n, 0xFF);
        uint32_t a = 1, b = 0;
        for (uint8_t v : ff) {
            a = (a + v) % 65521;
            b = (b + a) % 65521;
        }
        EXPECT_EQ(adler32Update(1, ff.data(), n), (b << 16) | a) << n;
        const size_t cut = n / 3;
        EXPECT_EQ(adler32Update(adler32Update(1, ff.data(), cut), ff.data() + cut, n - cut), (b << 16) | a);
        EXPECT_EQ(crc32Update(crc32Update(0, ff.data(), cut), ff.data() + cut, n - cut), crc32Update(0, ff.data(), n));
    }
}

// The CRC as the polynomial defines it, one bit at a time: the reference for the table one.
uint32_t bitwiseCrc(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

// The table CRC and the stepped Adler-32 take their long and short paths by length and
// start: every length up to 40 at every start within 8 bytes agrees with the plain forms.
TEST(PngChecksums, EveryLengthAndStartAgreesWithThePlainForms) {
    const std::vector<uint8_t> bytes = noise(48, 7);
    for (size_t start = 0; start < 8; ++start)
        for (size_t n = 0; n <= 40; ++n) {
            SCOPED_TRACE(std::to_string(start) + "+" + std::to_string(n));
            const uint8_t* p = bytes.data() + start;
            EXPECT_EQ(crc32Update(0, p, n), bitwiseCrc(p, n));
            uint32_t a = 1, b = 0;
            for (size_t i = 0; i < n; ++i) {
                a = (a + p[i]) % 65521;
                b = (b + a) % 65521;
            }
            EXPECT_EQ(adler32Update(1, p, n), (b << 16) | a);
        }
}

// The files of the first encoder, recorded as size and CRC of the whole file for the same
// noise: the share image size, odd sizes, and the sizes at the stored-block limit.
TEST(PngEncoder, FilesStayByteForByteAsBefore) {
    const struct {
        int32_t w, h;
        size_t size;
        uint32_t crc;
    } files[] = {
        {1000, 540, 1620728, 0x90BBD38Bu}, {333, 7, 7068, 0xED4FE4E2u}, {85, 256, 65609, 0xE35AD6CCu},
        {28, 771, 65603, 0xF818A3B8u},     {1, 1, 72, 0x164F99C7u},     {0, 0, 68, 0x7A1A4689u},
        {1500, 810, 3646153, 0xF80FDE48u},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(std::to_string(f.w) + "x" + std::to_string(f.h));
        std::mt19937 gen(21);
        std::vector<uint8_t> rgb(size_t(f.w) * size_t(f.h) * 3);
        for (uint8_t& v : rgb) v = static_cast<uint8_t>(gen());
        const std::vector<uint8_t> png = encodePng(rgb.data(), f.w, f.h);
        EXPECT_EQ(png.size(), f.size);
        EXPECT_EQ(bitwiseCrc(png.data(), png.size()), f.crc);
        // The IDAT chunk is also what the parts give when put together.
        std::vector<uint8_t> parts;
        writePngChunk(parts, "IDAT", pngImageData(rgb.data(), f.w, f.h));
        ASSERT_LE(33 + parts.size(), png.size());
        EXPECT_TRUE(std::equal(parts.begin(), parts.end(), png.begin() + 33));
    }
}

TEST(PngEncoder, OnePixelFileLayout) {
    const uint8_t px[3] = {0x10, 0x80, 0xF0};
    const std::vector<uint8_t> png = encodePng(px, 1, 1);
    const std::vector<uint8_t> sig = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GE(png.size(), 8u + 25 + 27 + 12);
    EXPECT_TRUE(std::equal(sig.begin(), sig.end(), png.begin()));
    // IHDR
    EXPECT_EQ(be32(png, 8), 13u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(be32(png, 16), 1u);
    EXPECT_EQ(be32(png, 20), 1u);
    EXPECT_EQ(std::vector<uint8_t>(png.begin() + 24, png.begin() + 29), (std::vector<uint8_t>{8, 2, 0, 0, 0}));
    EXPECT_EQ(be32(png, 29), crc32Update(0, png.data() + 12, 17));
    // IDAT: 2 + 5 + 4 + 4 bytes
    EXPECT_EQ(be32(png, 33), 15u);
    EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
    const std::vector<uint8_t> idat(png.begin() + 41, png.begin() + 56);
    EXPECT_EQ(idat, (std::vector<uint8_t>{0x78, 0x01, 0x01, 0x04, 0x00, 0xFB, 0xFF, 0x00, 0x10, 0x80, 0xF0,
                                          0x02, 0x24, 0x01, 0x81}));
    EXPECT_EQ((0x78 * 256 + 0x01) % 31, 0);
    EXPECT_EQ(be32(png, 56), crc32Update(0, png.data() + 37, 19));
    // IEND, last
    EXPECT_EQ(std::vector<uint8_t>(png.begin() + 60, png.end()),
              (std::vector<uint8_t>{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82}));
}

// Raw sizes h x (3w + 1) at and around the 65535-byte block limit.
TEST(PngEncoder, StoredBlocksSplitAtTheLimit) {
    struct Case {
        int32_t w, h;
        std::vector<uint32_t> lens;
    };
    const Case cases[] = {
        {0, 0, {0}},                      // no raw data: one empty final block
        {1, 1, {4}},
        {28, 771, {65535}},               // exactly one full block
        {85, 256, {65535, 1}},            // one byte more
        {1000, 540, {}},                  // the share image: 24 full blocks and 47700 bytes

    };
    for (Case c : cases) {
        if (c.lens.empty()) {
            c.lens.assign(24, 65535);
            c.lens.push_back(47700);
        }
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const std::vector<uint8_t> rgb = noise(size_t(c.w) * size_t(c.h) * 3, 11);
        const std::vector<uint8_t> z = pngImageData(rgb.data(), c.w, c.h);
        ASSERT_EQ(z[0], 0x78);
        ASSERT_EQ(z[1], 0x01);
        std::vector<StoredBlock> blocks;
        const std::vector<uint8_t> raw = inflateStored(z, blocks);
        ASSERT_EQ(blocks.size(), c.lens.size());
        for (size_t k = 0; k < blocks.size(); ++k) {
            EXPECT_EQ(blocks[k].len, c.lens[k]);
            EXPECT_EQ(blocks[k].nlen, ~c.lens[k] & 0xFFFF);
            EXPECT_EQ(blocks[k].final, k + 1 == blocks.size());
        }
        // Every row: filter byte 0, then the row's pixels as given.
        const size_t row = 3 * size_t(c.w) + 1;
        ASSERT_EQ(raw.size(), size_t(c.h) * row);
        for (int32_t y = 0; y < c.h; ++y) {
            ASSERT_EQ(raw[y * row], 0);
            ASSERT_TRUE(std::equal(raw.begin() + static_cast<long>(y * row + 1),
                                   raw.begin() + static_cast<long>((y + 1) * row), rgb.begin() + y * (row - 1)));
        }
        EXPECT_EQ(be32(z, z.size() - 4), adler32Update(1, raw.data(), raw.size()));
    }
}

// The image files go to a fresh folder of their own.
class PngFiles : public ::testing::Test {
protected:
    TempFolder folder;
    const fs::path& dir = folder.dir();
};

TEST_F(PngFiles, WritePngWritesTheEncodedBytesAndReportsFailures) {
    const std::vector<uint8_t> rgb = noise(7 * 5 * 3, 3);
    const fs::path file = dir / "a.png";
    std::ofstream(file) << "an older, longer file that must be replaced whole";
    ASSERT_TRUE(writePng(file.string(), rgb.data(), 7, 5));
    EXPECT_EQ(test_files::readBytes(file), encodePng(rgb.data(), 7, 5));
    EXPECT_FALSE(writePng((dir / "missing" / "b.png").string(), rgb.data(), 7, 5));
}

TEST_F(PngFiles, AnImageCutShortByAFullDiskLeavesTheEarlierOneWhole) {
    const fs::path file = dir / "a.png";
    const std::vector<uint8_t> small = noise(2 * 2 * 3, 4);
    ASSERT_TRUE(writePng(file.string(), small.data(), 2, 2));
    const std::vector<uint8_t> big = noise(200 * 200 * 3, 5);
    {
        fsize_test::ScopedFileSizeLimit limit(4096);  // the disk is full after 4 KiB
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(writePng(file.string(), big.data(), 200, 200));
    }
    EXPECT_EQ(test_files::readBytes(file), encodePng(small.data(), 2, 2));
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

TEST(ClipboardBitmap, HeaderAndBottomUpBgrRowsWithZeroPadding) {
    struct Case {
        int32_t w, h;
        size_t stride;
    };
    for (const Case& c : {Case{1, 3, 4}, Case{2, 2, 8}, Case{4, 1, 12}, Case{5, 2, 16}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const std::vector<uint8_t> rgb = noise(size_t(c.w) * size_t(c.h) * 3, 5);
        const std::vector<uint8_t> dib = dibFromRgb(rgb.data(), c.w, c.h);
        ASSERT_EQ(dib.size(), 40 + c.stride * size_t(c.h));
        EXPECT_EQ(le32(dib, 0), 40u);
        EXPECT_EQ(le32(dib, 4), uint32_t(c.w));
        EXPECT_EQ(le32(dib, 8), uint32_t(c.h));  // positive: bottom-up
        EXPECT_EQ(le16(dib, 12), 1u);
        EXPECT_EQ(le16(dib, 14), 24u);
        EXPECT_EQ(le32(dib, 16), 0u);
        EXPECT_EQ(le32(dib, 20), c.stride * size_t(c.h));
        for (size_t at = 24; at < 40; at += 4) EXPECT_EQ(le32(dib, at), 0u);
        for (int32_t row = 0; row < c.h; ++row) {
            const size_t srcRow = size_t(c.h - 1 - row);
            const uint8_t* dst = dib.data() + 40 + size_t(row) * c.stride;
            for (int32_t x = 0; x < c.w; ++x) {
                const uint8_t* src = rgb.data() + (srcRow * size_t(c.w) + size_t(x)) * 3;
                EXPECT_EQ(dst[3 * x + 0], src[2]);
                EXPECT_EQ(dst[3 * x + 1], src[1]);
                EXPECT_EQ(dst[3 * x + 2], src[0]);
            }
            for (size_t pad = 3 * size_t(c.w); pad < c.stride; ++pad) EXPECT_EQ(dst[pad], 0);
        }
    }
}

TEST_F(PngFiles, ResultImageGoesToPicturesOrShotsAndTheToastNamesIt) {
    const std::vector<uint8_t> rgb = noise(4 * 3 * 3, 9);
    const fs::path home = dir / "home";
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    ScopedEnv h("HOME", home.string());
    ScopedEnv x("XDG_CONFIG_HOME", (home / ".config").string());

    {
        // Interactive: Pictures/Tarvion is made on demand. With no X server to hold the
        // clipboard the toast does not claim a copy.
        const char* display = std::getenv("DISPLAY");
        const std::string shown = display ? display : "";
        App app;
        app.dataDir = (dir / "data").string();
        {
            ScopedEnv noDisplay("DISPLAY", nullptr);
            storeResultImage(app, rgb, 4, 3, "20260102_030405");
        }
        const fs::path file = home / "Bilder" / "Tarvion" / "Tarvion_result_20260102_030405.png";
        ASSERT_TRUE(fs::exists(file));
        EXPECT_EQ(test_files::readBytes(file), encodePng(rgb.data(), 4, 3));
        EXPECT_EQ(app.toast, "Saved in Pictures/Tarvion.");
        if (!shown.empty()) {
            // With one, the image is on the clipboard and the toast says so.
            storeResultImage(app, rgb, 4, 3, "20260102_030409");
            EXPECT_TRUE(fs::exists(home / "Bilder" / "Tarvion" / "Tarvion_result_20260102_030409.png"));
            EXPECT_EQ(app.toast,
                      "Copied to your clipboard \xE2\x80\x94 paste it into Discord with Ctrl+V. Also saved in "
                      "Pictures/Tarvion.");
            plat::releaseClipboard(0);
        }
    }
    {
        // Automation: the shots folder, named as it is.
        App app;
        app.automation = true;
        app.shotsDir = (dir / "shots").string();
        storeResultImage(app, rgb, 4, 3, "20260102_030406");
        EXPECT_TRUE(fs::exists(dir / "shots" / "Tarvion_result_20260102_030406.png"));
        EXPECT_EQ(app.toast, "Saved in " + app.shotsDir + ".");
    }
    {
        // A folder that cannot be made (a file is in the way) and an empty image both fail to save.
        App app;
        app.automation = true;
        std::ofstream(dir / "blocked") << "x";
        app.shotsDir = (dir / "blocked").string();
        storeResultImage(app, rgb, 4, 3, "20260102_030407");
        EXPECT_EQ(app.toast, kSaveFailedToast);
        app.shotsDir = dir.string();
        storeResultImage(app, {}, 0, 0, "20260102_030408");
        EXPECT_EQ(app.toast, kSaveFailedToast);
    }
}

TEST(ResultImageToast, ClipboardWordingAndFileName) {
    EXPECT_EQ(savedImageToast("Pictures/Tarvion", true),
              "Copied to your clipboard \xE2\x80\x94 paste it into Discord with Ctrl+V. Also saved in Pictures/Tarvion.");
    EXPECT_EQ(savedImageToast("/data", false), "Saved in /data.");
    EXPECT_EQ(resultImageFileName("20260102_030405"), "Tarvion_result_20260102_030405.png");
}

TEST(ResultImage, NothingToReadBackSaysSoAndClearsTheRequest) {
    // A card of no area (a window under 20 px): the read-back refuses before touching GL.
    App app;
    app.shareRequested = true;
    app.shareCapturePending = true;
    app.shareCaptureRect[0] = 10;
    app.shareCaptureRect[1] = 10;
    app.shareCaptureRect[2] = 0;
    app.shareCaptureRect[3] = 0;
    saveShareImage(app);
    EXPECT_FALSE(app.shareRequested);
    EXPECT_FALSE(app.shareCapturePending);
    EXPECT_EQ(app.toast, kCaptureFailedToast);
}

}  // namespace
