// The text rules of the files read by the game integration. Kept free of any other part of
// the program so the fuzz targets can build them alone.
#include <charconv>
#include <cstdio>
#include <unordered_set>
#include <utility>

#include "integration/detection.h"
#include "integration/reforger.h"
#include "integration/store_sources.h"
#include "platform/base/text.h"

std::string lowered(const std::string& text) { return plat::asciiLowered(text); }

std::string extractQuotedValue(const std::string& text, const std::string& key, size_t from, size_t* endOut) {
    const std::string needle = "\"" + key + "\"";
    size_t at = text.find(needle, from);
    if (at == std::string::npos) return std::string();
    size_t open = text.find('"', at + needle.size());
    if (open == std::string::npos) return std::string();
    std::string value;
    for (size_t i = open + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (i + 1 < text.size()) ++i;
            value += text[i];
        } else if (c == '"') {
            if (endOut) *endOut = i;
            return value;
        } else {
            value += c;
        }
    }
    return value;
}

std::string readEpicDisplayName(const std::string& text) {
    const std::string needle = "\"DisplayName\"";
    size_t at = text.find(needle);
    if (at == std::string::npos) return std::string();
    size_t colon = text.find(':', at + needle.size());
    if (colon == std::string::npos) return std::string();
    size_t open = text.find('"', colon);
    if (open == std::string::npos) return std::string();
    size_t close = text.find('"', open + 1);
    if (close == std::string::npos) close = text.size();
    return text.substr(open + 1, close - open - 1);
}

int32_t leadingAppId(const std::string& value) {
    // As strtol reads it (leading blanks, a sign), but a number too large is no number.
    const char* p = value.data();
    const char* end = p + value.size();
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    if (p < end && *p == '+' && p + 1 < end && *(p + 1) != '-') ++p;
    int32_t id = 0;
    return std::from_chars(p, end, id).ec == std::errc() ? id : 0;
}

namespace {
std::string withBackslashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
}  // namespace

std::vector<std::string> steamLibraries(const std::string& steamFolder, const std::string& libraryFoldersText) {
    std::vector<std::string> libraries{withBackslashes(steamFolder)};
    // Each library lower-cased once: a list of thousands stays linear to read.
    std::unordered_set<std::string> listed{lowered(libraries.front())};
    size_t offset = 0;
    for (;;) {
        size_t end = std::string::npos;
        std::string v = extractQuotedValue(libraryFoldersText, "path", offset, &end);
        if (v.empty()) break;
        v = withBackslashes(v);
        if (listed.insert(lowered(v)).second) libraries.push_back(std::move(v));
        // A value without its closing quote ran to the end of the text: nothing follows.
        if (end == std::string::npos) break;
        offset = end + 1;
    }
    return libraries;
}

bool findNumberAfterKey(const std::string& text, const std::string& key, size_t& pos, size_t& len, double& value) {
    if (key.empty()) return false;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        if (at > 0 && text[at - 1] != '\t' && text[at - 1] != '\n' && text[at - 1] != ' ') continue;
        const size_t blank = at + key.size();
        if (blank >= text.size() || text[blank] != ' ') continue;
        const size_t start = blank + 1;
        size_t end = start;
        bool digit = false;
        while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '-' || text[end] == '.')) {
            digit = digit || (text[end] >= '0' && text[end] <= '9');
            ++end;
        }
        if (!digit) continue;
        // "1e-05" is a number we would only half replace: leave such a file alone.
        if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) continue;
        double v = 0;
        if (std::from_chars(text.data() + start, text.data() + end, v).ec != std::errc()) v = 0;
        pos = start;
        len = end - start;
        value = v;
        return true;
    }
    return false;
}

std::string reforgerNumberText(double sens) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", sens);
    std::string text = buffer;
    while (text.size() > 3 && text.back() == '0') text.pop_back();
    return text;
}
