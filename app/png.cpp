#include "app/png.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/base/atomic_file.h"
#include "platform/base/file_open.h"

namespace {

// Eight tables for a CRC eight bytes at a step ("slicing by 8"); the first is the classic
// byte-wise table. Built on first use and kept for the process.
struct CrcTables {
    uint32_t t[8][256];
};

const CrcTables& crcTables() {
    static const CrcTables tables = [] {
        CrcTables c{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t v = n;
            for (int k = 0; k < 8; ++k) v = (v & 1) ? 0xEDB88320u ^ (v >> 1) : v >> 1;
            c.t[0][n] = v;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int k = 1; k < 8; ++k) c.t[k][n] = (c.t[k - 1][n] >> 8) ^ c.t[0][c.t[k - 1][n] & 0xFF];
        return c;
    }();
    return tables;
}

constexpr size_t kStoredBlockMax = 65535;

void pushLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

size_t sideLength(int32_t v) { return v > 0 ? static_cast<size_t>(v) : 0; }

uint32_t le32At(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

size_t rawSize(size_t w, size_t h) { return h * (3 * w + 1); }
size_t storedBlockCount(size_t raw) { return raw == 0 ? 1 : (raw + kStoredBlockMax - 1) / kStoredBlockMax; }
size_t zlibSize(size_t w, size_t h) { return 2 + rawSize(w, h) + 5 * storedBlockCount(rawSize(w, h)) + 4; }

// Appends the zlib stream of the image to out, straight from the pixel rows: each stored
// block is filled and both checksums read it while it is still in the cache. When crc is
// given it is continued over everything appended.
void appendZlibStream(std::vector<uint8_t>& out, const uint8_t* rgb, size_t w, size_t h, uint32_t* crc) {
    const size_t rowBytes = 3 * w;
    const size_t raw = rawSize(w, h);
    size_t crcFrom = out.size();
    auto crcSoFar = [&] {
        if (crc) *crc = crc32Update(*crc, out.data() + crcFrom, out.size() - crcFrom);
        crcFrom = out.size();
    };
    out.push_back(0x78);
    out.push_back(0x01);
    uint32_t adler = 1;
    size_t y = 0, inRow = 0;  // the next raw byte: row y, at inRow (0 is the filter byte)
    size_t pos = 0;
    do {
        const size_t len = raw - pos < kStoredBlockMax ? raw - pos : kStoredBlockMax;
        out.push_back(pos + len == raw ? 1 : 0);
        pushLe16(out, static_cast<uint32_t>(len));
        pushLe16(out, static_cast<uint32_t>(~len & 0xFFFF));
        const size_t dataStart = out.size();
        for (size_t left = len; left > 0;) {
            if (inRow == 0) {
                out.push_back(0);  // filter: None
                inRow = 1;
                --left;
                continue;
            }
            const size_t take = std::min(left, rowBytes + 1 - inRow);
            const uint8_t* from = rgb + y * rowBytes + (inRow - 1);
            out.insert(out.end(), from, from + take);
            inRow += take;
            left -= take;
            if (inRow == rowBytes + 1) {
                inRow = 0;
                ++y;
            }
        }
        adler = adler32Update(adler, out.data() + dataStart, len);
        crcSoFar();
        pos += len;
    } while (pos < raw);
    pushBe32(out, adler);
    crcSoFar();
}

// Appends one chunk whose data the writer function appends in place.
template <typename Writer>
void appendChunk(std::vector<uint8_t>& out, const char* type, size_t dataSize, Writer writeData) {
    pushBe32(out, static_cast<uint32_t>(dataSize));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    uint32_t crc = crc32Update(0, out.data() + typeAt, 4);
    writeData(crc);
    pushBe32(out, crc);
}

}  // namespace

void pushBe32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>((value >> 16) & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size) {
    const CrcTables& tables = crcTables();
    const auto& t = tables.t;
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (; size >= 8; data += 8, size -= 8) {
        const uint32_t lo = c ^ le32At(data), hi = le32At(data + 4);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; size > 0; ++data, --size) c = t[0][(c ^ *data) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32Update(uint32_t adler, const uint8_t* data, size_t size) {
    constexpr uint32_t kMod = 65521;
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the modulo.
    while (size > 0) {
        size_t run = size < 5552 ? size : 5552;
        size -= run;
        // Sixteen bytes at a step: b gains 16 a plus the bytes weighted 16 down to 1, so the
        // sums of a step do not wait on each other.
        for (; run >= 16; run -= 16, data += 16) {
            uint32_t sum = 0, weighted = 0;
            for (uint32_t i = 0; i < 16; ++i) {
                sum += data[i];
                weighted += (16 - i) * data[i];
            }
            b += 16 * a + weighted;
            a += sum;
        }
        for (; run > 0; --run, ++data) {
            a += *data;
            b += a;
        }
        a %= kMod;
        b %= kMod;
    }
    return (b << 16) | a;
}

void writePngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    appendChunk(out, type, data.size(), [&](uint32_t& crc) {
        out.insert(out.end(), data.begin(), data.end());
        crc = crc32Update(crc, data.data(), data.size());
    });
}

std::vector<uint8_t> pngImageData(const uint8_t* rgb, int32_t width, int32_t height) {
    const size_t w = sideLength(width), h = sideLength(height);
    std::vector<uint8_t> z;
    z.reserve(zlibSize(w, h));
    appendZlibStream(z, rgb, w, h, nullptr);
    return z;
}

// The whole file is written into one buffer of its final size: the pixels are copied once,
// and each checksum reads the bytes once.
std::vector<uint8_t> encodePng(const uint8_t* rgb, int32_t width, int32_t height) {
    const size_t w = sideLength(width), h = sideLength(height);
    const size_t idat = zlibSize(w, h);
    std::vector<uint8_t> out;
    out.reserve(8 + (12 + 13) + (12 + idat) + 12);
    const uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    out.insert(out.end(), signature, signature + 8);
    std::vector<uint8_t> ihdr;
    pushBe32(ihdr, static_cast<uint32_t>(w));
    pushBe32(ihdr, static_cast<uint32_t>(h));
    ihdr.push_back(8);  // bit depth
    ihdr.push_back(2);  // colour type: RGB
    ihdr.push_back(0);  // compression
    ihdr.push_back(0);  // filter method
    ihdr.push_back(0);  // no interlace
    writePngChunk(out, "IHDR", ihdr);
    appendChunk(out, "IDAT", idat, [&](uint32_t& crc) { appendZlibStream(out, rgb, w, h, &crc); });
    writePngChunk(out, "IEND", {});
    return out;
}

bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height) {
    const std::vector<uint8_t> bytes = encodePng(rgb, width, height);
    // Beside and then into place: a full disk part-way leaves no cut image to share.
    return plat::writeFileAtomically(path, std::string(bytes.begin(), bytes.end()));
}
