// Steam's text reader on arbitrary bytes: no crash, no hang, and its offsets always point
// at what it claims. An input with a NUL byte uses the bytes before it as the key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "integration/store_sources.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void probe(const std::string& text, const std::string& key, size_t from) {
    size_t end = std::string::npos;
    const std::string value = extractQuotedValue(text, key, from, &end);
    check(value.size() <= text.size());
    if (end != std::string::npos) {
        check(end < text.size() && text[end] == '"');
        check(end >= from + key.size() + 3);
    }
    leadingAppId(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string key = "path";
    const size_t nul = input.find('\0');
    if (nul != std::string::npos && nul <= 32) {
        key = input.substr(0, nul);
        input.erase(0, nul + 1);
    }
    for (const std::string& k : {key, std::string("appid"), std::string("name")}) {
        probe(input, k, 0);
        probe(input, k, input.size() / 2);
        probe(input, k, input.size() + 1);
    }

    const std::vector<std::string> libraries = steamLibraries("C:/Steam", input);
    check(!libraries.empty() && libraries[0] == "C:\\Steam");
    size_t pathKeys = 0;
    for (size_t at = input.find("\"path\""); at != std::string::npos; at = input.find("\"path\"", at + 1)) ++pathKeys;
    check(libraries.size() <= 1 + pathKeys);
    for (size_t i = 1; i < libraries.size(); ++i)
        check(!libraries[i].empty() && libraries[i].find('/') == std::string::npos);
    return 0;
}
