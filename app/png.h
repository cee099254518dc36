#pragma once
// A self-contained PNG writer for 8-bit RGB images: the pixels go into stored (uncompressed)
// deflate blocks, so no compression library is needed and saving is one pass over the data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Appends a 32-bit value big-endian.
void pushBe32(std::vector<uint8_t>& out, uint32_t value);

// The PNG/zlib CRC-32 (reflected polynomial 0xEDB88320, all-ones start, final complement).
// `crc` continues an earlier call: pass the previous result, 0 to start.
uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size);
// Adler-32 as zlib defines it; `adler` continues an earlier call, 1 to start.
uint32_t adler32Update(uint32_t adler, const uint8_t* data, size_t size);

// Appends one chunk: data length, the four-letter type, the data, and the CRC of type and data.
void writePngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data);

// The zlib stream of the single IDAT chunk: header 78 01, the raw rows (filter byte 0 then
// the row's RGB bytes) in stored blocks of at most 65535 bytes, and the Adler-32 of the rows.
std::vector<uint8_t> pngImageData(const uint8_t* rgb, int32_t width, int32_t height);

// The whole file in memory: signature, IHDR, IDAT, IEND. `rgb` holds width x height x 3
// bytes, top row first, no padding.
std::vector<uint8_t> encodePng(const uint8_t* rgb, int32_t width, int32_t height);

// Writes encodePng's bytes as the whole file, through a temporary beside it that replaces
// the file once every byte is on the disk; true when that succeeded.
bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height);
