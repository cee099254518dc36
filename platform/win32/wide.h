#pragma once
// Between the program's UTF-8 text and the wide strings of the Windows calls.
#include <string>

#include "platform/text.h"

namespace plat::win32 {

inline std::wstring wide(const std::string& utf8) {
    const std::u16string units = utf8ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

inline std::string utf8(const wchar_t* text) {
    if (!text) return std::string();
    const std::wstring w(text);
    return utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

inline std::string utf8(const std::wstring& text) { return utf16ToUtf8(std::u16string(text.begin(), text.end())); }

}  // namespace plat::win32
