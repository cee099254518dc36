#pragma once
// Lists of catalogue ids kept as one comma-separated text (App.myGames, App.knownGames).
#include <string>
#include <vector>

// The items in order; empty items (",," or a leading or trailing comma) are dropped, blanks
// and carriage returns stay part of an item.
std::vector<std::string> splitList(const std::string& text);
// The items joined by "," ("" for none).
std::string joinComma(const std::vector<std::string>& items);
