#pragma once
// Sizes of the X11 clipboard owner's answers (platform/system/linux/clipboard.cpp).
#include <cstddef>
#include <cstdint>

namespace plat {

// Largest piece of data one property change may carry when the server takes requests of at
// most `maxRequestWords` 4-byte words (BIG-REQUESTS included): the request's own header and
// a margin leave room, and no piece is larger than 256 KiB, so big images go by INCR.
// Answers larger than this go in pieces of this size.
size_t selectionChunkBytes(uint32_t maxRequestWords);

}  // namespace plat
