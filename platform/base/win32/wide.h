#pragma once
// UTF-8 inside the program, UTF-16 at the Win32 boundary.
#include <string>

#include "platform/base/text.h"

namespace plat::win32 {

inline std::wstring toWide(const std::string& text) {
    const std::u16string units = utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string fromWide(const wchar_t* text, size_t length) {
    return utf16ToUtf8(std::u16string(text, text + length));
}

inline std::string fromWide(const std::wstring& text) { return fromWide(text.data(), text.size()); }

}  // namespace plat::win32
