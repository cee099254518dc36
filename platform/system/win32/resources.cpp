#include "platform/system/resources.h"

#include <windows.h>

namespace plat {

ResourceBytes modelPackBytes() {
    ResourceBytes out;
    // RT_RCDATA id 200 of this executable (platform/system/win32/tarvion.rc.in).
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(200), RT_RCDATA);
    if (!found) return out;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return out;
    out.data = static_cast<const uint8_t*>(bytes);
    out.size = SizeofResource(nullptr, found);
    return out;
}

}  // namespace plat
