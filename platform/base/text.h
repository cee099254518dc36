#pragma once
#include <string>
#include <string_view>

namespace plat {

// UTF-16 (as the Windows side hands it over) to UTF-8; invalid sequences become U+FFFD,
// an empty input gives an empty string.
std::string utf16ToUtf8(const std::u16string& text);
std::u16string utf8ToUtf16(const std::string& text);

// Text with "\n" line ends as a text-mode stream of this platform would write it ("\r\n" on
// Windows, unchanged elsewhere), for text files written as bytes.
std::string withTextLineEnds(const std::string& text);

// ASCII A-Z to a-z byte by byte; every other byte (digits, punctuation, UTF-8 sequences) as
// it is. Free of the C locale, so names, keys and paths compare the same on every machine.
// Inline so that code built without the library (the fuzz targets) can use it.
inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string asciiLowered(std::string text) {
    for (char& c : text) c = asciiLower(c);
    return text;
}

// Equal after asciiLower on both sides (same length, same bytes).
inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

}  // namespace plat
