#pragma once
// The 24-bit BMP layout of frame captures, apart from the GL read-back.
#include <cstddef>
#include <cstdint>

// Bytes per stored row: 3 per pixel, padded with zeros to a multiple of 4.
size_t bmpStride(int width);
// The 54 header bytes (file header and a 40-byte info header) of a bottom-up 24-bit image.
void bmpHeader(int width, int height, uint8_t out[54]);
// Writes tightly packed bottom-up BGR rows as a BMP file (replacing any file of that name);
// false for an empty size or when the file cannot be created or fully written.
bool writeBmp(const char* path, int width, int height, const uint8_t* bgrBottomUp);
