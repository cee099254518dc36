#include "core/game_lists.h"

#include <algorithm>

#include "core/app.h"

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

std::string joinComma(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) text += ',';
        text += items[i];
    }
    return text;
}

namespace {

bool validIndex(int32_t index) { return index >= 0 && static_cast<size_t>(index) < gameCatalog().size(); }

bool contains(const std::vector<std::string>& items, const char* id) {
    return std::find(items.begin(), items.end(), id) != items.end();
}

}  // namespace

std::vector<int32_t> App::myGameIndices() const {
    std::vector<int32_t> indices;
    for (const std::string& item : splitList(myGames)) {
        int32_t index = gameIndexById(item);
        // gameIndexById falls back to row 0 for an unknown id: keep only exact matches.
        if (item == gameCatalog()[index].id) indices.push_back(index);
    }
    return indices;
}

bool App::isMyGame(int32_t index) const {
    if (!validIndex(index)) return false;
    return contains(splitList(myGames), gameCatalog()[index].id);
}

void App::setMyGame(int32_t index, bool add) {
    if (!validIndex(index)) return;
    const std::string id = gameCatalog()[index].id;
    std::vector<std::string> items = splitList(myGames);
    items.erase(std::remove(items.begin(), items.end(), id), items.end());
    if (add) items.push_back(id);
    myGames = joinComma(items);
}

void App::mergeKnownGames(const std::vector<int32_t>& indices) {
    std::vector<std::string> items = splitList(knownGames);
    for (int32_t index : indices) {
        if (!validIndex(index)) continue;
        const char* id = gameCatalog()[index].id;
        if (!contains(items, id)) items.emplace_back(id);
    }
    knownGames = joinComma(items);
}
