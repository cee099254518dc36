#include "app/png.h"

#include <array>
#include <string>

#include "platform/base/atomic_file.h"
#include "platform/base/file_open.h"

namespace {

// Built on first use and kept for the process.
const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

constexpr size_t kStoredBlockMax = 65535;

void pushLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

size_t sideLength(int32_t v) { return v > 0 ? static_cast<size_t>(v) : 0; }

}  // namespace

void pushBe32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>((value >> 16) & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size) {
    const std::array<uint32_t, 256>& table = crcTable();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32Update(uint32_t adler, const uint8_t* data, size_t size) {
    constexpr uint32_t kMod = 65521;
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the modulo.
    while (size > 0) {
        const size_t run = size < 5552 ? size : 5552;
        for (size_t i = 0; i < run; ++i) {
            a += data[i];
            b += a;
        }
        a %= kMod;
        b %= kMod;
        data += run;
        size -= run;
    }
    return (b << 16) | a;
}

void writePngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    pushBe32(out, static_cast<uint32_t>(data.size()));
    const uint8_t* typeBytes = reinterpret_cast<const uint8_t*>(type);
    out.insert(out.end(), typeBytes, typeBytes + 4);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t crc = crc32Update(0, typeBytes, 4);
    crc = crc32Update(crc, data.data(), data.size());
    pushBe32(out, crc);
}

std::vector<uint8_t> pngImageData(const uint8_t* rgb, int32_t width, int32_t height) {
    const size_t w = sideLength(width), h = sideLength(height);
    const size_t rowBytes = 3 * w;
    std::vector<uint8_t> raw;
    raw.reserve(h * (rowBytes + 1));
    for (size_t y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: None
        raw.insert(raw.end(), rgb + y * rowBytes, rgb + (y + 1) * rowBytes);
    }

    std::vector<uint8_t> z;
    const size_t blocks = raw.empty() ? 1 : (raw.size() + kStoredBlockMax - 1) / kStoredBlockMax;
    z.reserve(2 + raw.size() + 5 * blocks + 4);
    z.push_back(0x78);
    z.push_back(0x01);
    size_t pos = 0;
    do {
        const size_t len = raw.size() - pos < kStoredBlockMax ? raw.size() - pos : kStoredBlockMax;
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        pushLe16(z, static_cast<uint32_t>(len));
        pushLe16(z, static_cast<uint32_t>(~len & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
    } while (pos < raw.size());
    pushBe32(z, adler32Update(1, raw.data(), raw.size()));
    return z;
}

std::vector<uint8_t> encodePng(const uint8_t* rgb, int32_t width, int32_t height) {
    std::vector<uint8_t> out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    pushBe32(ihdr, static_cast<uint32_t>(sideLength(width)));
    pushBe32(ihdr, static_cast<uint32_t>(sideLength(height)));
    ihdr.push_back(8);  // bit depth
    ihdr.push_back(2);  // colour type: RGB
    ihdr.push_back(0);  // compression
    ihdr.push_back(0);  // filter method
    ihdr.push_back(0);  // no interlace
    writePngChunk(out, "IHDR", ihdr);
    writePngChunk(out, "IDAT", pngImageData(rgb, width, height));
    writePngChunk(out, "IEND", {});
    return out;
}

bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height) {
    const std::vector<uint8_t> bytes = encodePng(rgb, width, height);
    // Beside and then into place: a full disk part-way leaves no cut image to share.
    return plat::writeFileAtomically(path, std::string(bytes.begin(), bytes.end()));
}
