// The profile lent to a new version while it starts, and taken back when it did not.
#include "core/profile/app.h"

void App::lendProfile() {
    saveSettings();
    profileLent = true;
}

void App::takeProfileBack() {
    if (!profileLent) return;
    profileLent = false;
    if (settingsSaveOwed) {
        settingsSaveOwed = false;
        saveSettings();
    }
    std::vector<OwedWrite> owed;
    owed.swap(owedWrites);
    // Owed rows are newer than any written before the lend: the last history row and report
    // are the current result's.
    bool historyOwed = false;
    bool lastRowWritten = false;
    bool everyRowWritten = true;
    std::string report;
    for (const OwedWrite& w : owed) {
        if (!w.header) {
            if (writeReport(w.path, w.text)) report = w.path;
            else report.clear();
            continue;
        }
        const bool written = appendCsvLine(w.path, w.header, w.text);
        if (w.history) {
            historyOwed = true;
            lastRowWritten = written;
            everyRowWritten = everyRowWritten && written;
        }
    }
    if (historyOwed) {
        resultSaved = lastRowWritten;
        reportPath = report;
        // The rows kept for the run are in the file now; while one is still not written
        // they stay as they are, in memory only.
        if (everyRowWritten) loadHistory();
    }
}
