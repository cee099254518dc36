#include "core/profile/game_lists.h"

#include <algorithm>

#include "core/profile/app.h"

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

}  // namespace

IdList::IdList(std::string text) : text_(std::move(text)) {
    rows_.assign(gameCatalog().size(), false);
    for (const std::string& item : splitList(text_)) {
        const int32_t index = gameIndexById(item);
        // gameIndexById falls back to row 0 for an unknown id: keep only exact matches.
        if (item != gameCatalog()[static_cast<size_t>(index)].id) continue;
        indices_.push_back(index);
        rows_[static_cast<size_t>(index)] = true;
    }
}

bool IdList::has(int32_t index) const { return validIndex(index) && rows_[static_cast<size_t>(index)]; }

std::ostream& operator<<(std::ostream& out, const IdList& list) { return out << list.text(); }

const std::vector<int32_t>& App::myGameIndices() const { return myGames.indices(); }

bool App::isMyGame(int32_t index) const { return myGames.has(index); }

void App::setMyGame(int32_t index, bool add) {
    if (!validIndex(index)) return;
    const std::string id = gameCatalog()[index].id;
    std::vector<std::string> items = myGames.items();
    items.erase(std::remove(items.begin(), items.end(), id), items.end());
    if (add) items.push_back(id);
    myGames = joinComma(items);
}

void App::mergeKnownGames(const std::vector<int32_t>& indices) {
    std::vector<std::string> items = knownGames.items();
    // Rows added here count as known for the rest of the loop, so each goes in once.
    std::vector<bool> added(gameCatalog().size(), false);
    for (int32_t index : indices) {
        if (!validIndex(index) || knownGames.has(index) || added[static_cast<size_t>(index)]) continue;
        items.emplace_back(gameCatalog()[index].id);
        added[static_cast<size_t>(index)] = true;
    }
    knownGames = joinComma(items);
}
