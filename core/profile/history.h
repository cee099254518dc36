#pragma once
// history.csv (one line per finished finder or Sens Check result, kept in App.history), the
// finished Sens Checks of the current result, and the pooled estimate over a game's history.
// Field names of HistoryEntry follow the file's header words.
#include <cstdint>
#include <string>
#include <vector>

struct App;
struct GameInfo;

struct HistoryEntry {
    std::string when;  // local time, "%Y-%m-%d %H:%M"
    std::string game;  // display name with every "," turned into a blank (historyGameKey)
    double dpi = 0;
    double current_sens = 0;
    double current_cm360 = 0;
    double recommended_sens = 0;
    double recommended_cm360 = 0;
    double range_low_cm = 0;
    double range_high_cm = 0;
    std::string confidence;  // "High", "Medium" or "Low"
    int32_t recommended_dpi = 0;
    std::string type = "finder";  // "finder" or "check"
};

// One finished Sens Check.
struct SensCheckEntry {
    double beforeCm360 = 0;
    double afterCm360 = 0;
    double changePct = 0;  // (after / before - 1) x 100
    double lowCm360 = 0;   // the new likely range
    double highCm360 = 0;
    std::string confidence;
    bool confirmed = false;  // |changePct| < 3
};

// The pooled estimate of one game's history (all zero when count is 0).
struct HistoryEstimate {
    int32_t count = 0;
    double centre = 0;
    double low = 0;
    double high = 0;
};

inline constexpr const char* kHistoryHeader =
    "when,game,dpi,current_sens,current_cm360,recommended_sens,recommended_cm360,range_low_cm,range_high_cm,"
    "confidence,recommended_dpi,type";

// The form a game takes in the history's game column: its display name with every ","
// replaced by a blank (the file has no quoting).
std::string historyGameKey(const GameInfo& row);

// One row as the file holds it, without the line end.
std::string formatHistoryLine(const HistoryEntry& entry);
// One data line of the file; false (entry untouched) when it has fewer than 11 fields.
bool parseHistoryLine(const std::string& line, HistoryEntry& entry);

// Pools the usable rows of `history` whose game equals `key` exactly (see App::historyEstimate).
HistoryEstimate estimateFromHistory(const std::vector<HistoryEntry>& history, const std::string& key);

// The text report of App's current result (game, DPI, ranges, Perfect DPI, the round table,
// every game's value), stamped with `when`.
std::string resultReportText(const App& app, const std::string& when);
