// findFiles' wildcard rule and the order of every platform's listing.
#include "platform/base/files.h"

#include <algorithm>

#include "platform/base/text.h"

namespace plat {

void sortFileEntries(std::vector<FileEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) {
        const std::string la = asciiLowered(a.name), lb = asciiLowered(b.name);
        return la != lb ? la < lb : a.name < b.name;
    });
}

bool matchesPattern(const std::string& name, const std::string& pattern) {
    size_t n = 0, p = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        // The pattern's '*' comes first: a '*' that stands in the name is a plain character
        // there, not a match of the wildcard by itself.
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace plat
