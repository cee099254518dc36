// Writes PNG files with our encoder next to the raw RGB bytes they were made from, for a
// decoder that shares none of our code to read back and compare.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/png.h"

namespace {

struct Case {
    const char* name;
    int32_t width, height;
};

// Rows of 3w + 1 bytes: 28 x 771 fills exactly one stored block, 85 x 256 is one byte
// more, 1000 x 540 is the share image at scale 1.
const Case kCases[] = {
    {"one_pixel", 1, 1}, {"one_block", 28, 771}, {"block_and_a_byte", 85, 256},
    {"narrow", 1, 300},  {"share_card", 1000, 540},
};

std::vector<uint8_t> pattern(int32_t w, int32_t h, uint32_t seed) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    uint32_t state = seed;
    for (uint8_t& b : rgb) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    return rgb;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    uint32_t seed = 7;
    for (const Case& c : kCases) {
        const std::vector<uint8_t> rgb = pattern(c.width, c.height, seed++);
        const std::string base = folder + "/" + c.name;
        if (!writePng(base + ".png", rgb.data(), c.width, c.height)) {
            std::fprintf(stderr, "cannot write %s.png\n", base.c_str());
            return 1;
        }
        std::ofstream raw(base + ".rgb", std::ios::binary);
        raw.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
        if (!raw) return 1;
        std::printf("%s %d %d\n", c.name, static_cast<int>(c.width), static_cast<int>(c.height));
    }
    return 0;
}
