#include "platform/system/resources.h"

// Defined by the assembler file that embeds the generated pack.
extern "C" const uint8_t tarvion_model_pack_begin[];
extern "C" const uint8_t tarvion_model_pack_end[];

namespace plat {

ResourceBytes modelPackBytes() {
    ResourceBytes out;
    out.data = tarvion_model_pack_begin;
    out.size = size_t(tarvion_model_pack_end - tarvion_model_pack_begin);
    return out;
}

}  // namespace plat
