#pragma once
// Lists of catalogue ids kept as one comma-separated text (App.myGames, App.knownGames).
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// The items in order; empty items (",," or a leading or trailing comma) are dropped, blanks
// and carriage returns stay part of an item.
std::vector<std::string> splitList(const std::string& text);
// The items joined by "," ("" for none).
std::string joinComma(const std::vector<std::string>& items);

// A list of catalogue ids as settings.ini holds it, with what its readers need parsed once,
// whenever a text is set: which of its items are catalogue rows. The screens ask every
// frame, so a long hand-edited list costs its parse once, not once per frame.
class IdList {
public:
    IdList(const char* text = "") : IdList(std::string(text)) {}
    IdList(std::string text);

    const std::string& text() const { return text_; }
    // Split afresh: only the writers (setMyGame, mergeKnownGames) need them, on a click.
    std::vector<std::string> items() const { return splitList(text_); }
    // Catalogue indices of the items that are catalogue ids, in list order (duplicates kept).
    const std::vector<int32_t>& indices() const { return indices_; }
    // True when an item equals the id of catalogue row `index` (false outside the catalogue).
    bool has(int32_t index) const;

    size_t find(const std::string& part, size_t from = 0) const { return text_.find(part, from); }
    friend bool operator==(const IdList& a, const IdList& b) { return a.text_ == b.text_; }
    friend bool operator==(const IdList& a, const std::string& b) { return a.text_ == b; }
    friend bool operator==(const IdList& a, const char* b) { return a.text_ == b; }

private:
    std::string text_;
    std::vector<int32_t> indices_;
    std::vector<bool> rows_;  // by catalogue index
};

std::ostream& operator<<(std::ostream& out, const IdList& list);
