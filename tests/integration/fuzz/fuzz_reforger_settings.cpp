// Reforger's settings reader on arbitrary bytes: a number found is exactly what the rules
// allow, and writing a new one in its place changes nothing else and is found again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "integration/reforger.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool runChar(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

void probe(const std::string& text, const std::string& key) {
    size_t pos = 0, len = 0;
    double value = 0;
    if (!findNumberAfterKey(text, key, pos, len, value)) return;
    check(len > 0 && pos + len <= text.size());
    check(pos >= key.size() + 1 && text[pos - 1] == ' ');
    const size_t keyAt = pos - 1 - key.size();
    check(text.compare(keyAt, key.size(), key) == 0);
    check(keyAt == 0 || text[keyAt - 1] == ' ' || text[keyAt - 1] == '\t' || text[keyAt - 1] == '\n');
    bool digit = false;
    for (size_t i = pos; i < pos + len; ++i) {
        check(runChar(text[i]));
        digit = digit || (text[i] >= '0' && text[i] <= '9');
    }
    check(digit);
    if (pos + len < text.size()) {
        const char next = text[pos + len];
        check(!runChar(next) && next != 'e' && next != 'E');
    }

    const std::string number = reforgerNumberText(1.25);
    std::string rewritten = text;
    rewritten.replace(pos, len, number);
    size_t pos2 = 0, len2 = 0;
    double value2 = 0;
    check(findNumberAfterKey(rewritten, key, pos2, len2, value2));
    check(pos2 == pos && len2 == number.size() && value2 == 1.25);
    check(rewritten.compare(0, pos, text, 0, pos) == 0);
    check(rewritten.compare(pos + len2, std::string::npos, text, pos + len, std::string::npos) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    probe(text, "m_fMouseSensitivity");
    probe(text, "m_fFirstPersonFOV");
    return 0;
}
