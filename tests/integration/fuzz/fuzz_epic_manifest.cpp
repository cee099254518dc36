// Epic's manifest reader on arbitrary bytes: the value is always a quote-free piece of the
// text that follows the "DisplayName" key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "integration/store_sources.h"

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string value = readEpicDisplayName(text);
    if (value.empty()) return 0;
    const size_t key = text.find("\"DisplayName\"");
    check(key != std::string::npos);
    check(value.find('"') == std::string::npos);
    // It stands between two quotes (or a quote and the end) somewhere after the key.
    bool quoted = false;
    for (size_t at = text.find(value, key + 13); at != std::string::npos && !quoted; at = text.find(value, at + 1)) {
        const size_t after = at + value.size();
        quoted = text[at - 1] == '"' && (after == text.size() || text[after] == '"');
    }
    check(quoted);
    check(lowered(value).size() == value.size());
    return 0;
}
