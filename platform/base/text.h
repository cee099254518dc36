#pragma once
#include <string>

namespace plat {

// UTF-16 (as the Windows side hands it over) to UTF-8; invalid sequences become U+FFFD,
// an empty input gives an empty string.
std::string utf16ToUtf8(const std::u16string& text);
std::u16string utf8ToUtf16(const std::string& text);

// Text with "\n" line ends as a text-mode stream of this platform would write it ("\r\n" on
// Windows, unchanged elsewhere), for text files written as bytes.
std::string withTextLineEnds(const std::string& text);

}  // namespace plat
