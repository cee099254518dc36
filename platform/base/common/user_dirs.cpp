#include "platform/base/folders.h"

namespace plat {

std::string userDirFromConfig(const std::string& configText, const std::string& key, const std::string& home) {
    std::string found;
    size_t start = 0;
    while (start < configText.size()) {
        size_t end = configText.find('\n', start);
        if (end == std::string::npos) end = configText.size();
        std::string line = configText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first);
        if (line.compare(0, key.size(), key) != 0 || line.size() <= key.size() || line[key.size()] != '=') continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() < 2 || value.front() != '"') continue;
        size_t close = value.find('"', 1);
        if (close == std::string::npos) continue;
        value = value.substr(1, close - 1);
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
            value = home + value.substr(5);
        } else if (value.empty() || value[0] != '/') {
            continue;
        }
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        found = value;  // the last assignment wins, as in a shell
    }
    return found;
}

}  // namespace plat
