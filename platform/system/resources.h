#pragma once
#include <cstddef>
#include <cstdint>

namespace plat {

struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// The model pack linked into the executable; empty when the build has none.
ResourceBytes modelPackBytes();

}  // namespace plat
