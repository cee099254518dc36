// history.csv, the text reports and the pooled estimate over a game's history.
#include "core/profile/history.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "core/profile/score_log.h"
#include "platform/base/atomic_file.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/base/timefmt.h"

std::string historyGameKey(const GameInfo& row) {
    std::string key = row.name;
    std::replace(key.begin(), key.end(), ',', ' ');
    return key;
}

std::string formatHistoryLine(const HistoryEntry& e) {
    return formatString("%s,%s,%.0f,%.4f,%.2f,%.4f,%.2f,%.2f,%.2f,%s,%d,%s", e.when.c_str(), e.game.c_str(), e.dpi,
                        e.current_sens, e.current_cm360, e.recommended_sens, e.recommended_cm360, e.range_low_cm,
                        e.range_high_cm, e.confidence.c_str(), e.recommended_dpi, e.type.c_str());
}

bool parseHistoryLine(const std::string& line, HistoryEntry& e) {
    std::vector<std::string> extra;
    // Rows written before the type column existed are Finder results.
    if (!readCsvRow(line, {&e.when, &e.game, &e.dpi, &e.current_sens, &e.current_cm360, &e.recommended_sens,
                           &e.recommended_cm360, &e.range_low_cm, &e.range_high_cm, &e.confidence,
                           &e.recommended_dpi},
                    &extra))
        return false;
    e.type = !extra.empty() && !extra[0].empty() ? extra[0] : "finder";
    return true;
}

HistoryEstimate estimateFromHistory(const std::vector<HistoryEntry>& history, const std::string& key) {
    double sumW = 0, sumWx = 0;
    std::vector<double> xs;
    for (const HistoryEntry& e : history) {
        if (e.game != key) continue;
        const double rec = e.recommended_cm360;
        // Only a recommendation the program could have made: a hand-edited one far outside
        // 6..200 (or "nan", "inf") would pull the whole estimate with it or overflow it.
        if (!supportedCm360(rec)) continue;
        // A range whose low lies above its high is none. One that runs past an end is held
        // there, as the analysis holds its own; a result at an end (200.0, likely
        // 200.0-200.0) counts, as its spread has a floor.
        if (!(e.range_low_cm <= e.range_high_cm)) continue;
        const double lo = clampCm360(e.range_low_cm), hi = clampCm360(e.range_high_cm);
        const double x = std::log(rec);
        const double s = std::max(0.04, 0.5 * std::log(hi / lo));
        const double w = 1.0 / (s * s);
        sumW += w;
        sumWx += w * x;
        xs.push_back(x);
    }
    HistoryEstimate est;
    est.count = static_cast<int32_t>(xs.size());
    if (est.count == 0) return est;
    const double m = sumWx / sumW;
    double e = 1.0 / std::sqrt(sumW);
    if (est.count > 1) {
        double mean = 0;
        for (double x : xs) mean += x;
        mean /= static_cast<double>(xs.size());
        double v = 0;
        for (double x : xs) v += (x - mean) * (x - mean);
        v /= static_cast<double>(xs.size() - 1);
        e = std::max(e, std::sqrt(v / static_cast<double>(xs.size())));
    }
    est.centre = clampCm360(std::exp(m));
    est.low = clampCm360(std::exp(m - e));
    est.high = clampCm360(std::exp(m + e));
    return est;
}

namespace {

// A number as a stream prints it by default ("800", "1600", "812.5").
std::string defaultNumber(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

}  // namespace

std::string resultReportText(const App& app, const std::string& when) {
    const GameInfo& row = gameRowOrDefault(app.resultGame);
    const double dpi = app.resultConfig.dpi;
    const double rec = app.analysis.recommendedCm360;
    const PerfectDpiAdvice advice = perfectDpi(row, app.resultYaw, rec, app.resultConfig.hFov, app.width);
    auto sens = [&](double cm) { return formatGameSens(row, app.resultYaw, cm, dpi); };

    std::string r = "Tarvion sensitivity report - " + when;
    if (app.resultMode == "check") r += "  (Sens Check, pooled with earlier rounds)";
    r += "\n\n";
    for (size_t i = 0; i < app.sensChecks.size(); ++i) {
        const SensCheckEntry& c = app.sensChecks[i];
        r += formatString("Sens Check %d: %.1f -> %.1f cm/360 (%+.1f%%) %s\n", static_cast<int>(i + 1),
                          c.beforeCm360, c.afterCm360, c.changePct, c.confirmed ? "CONFIRMED" : "tweak suggested");
    }
    if (!app.sensChecks.empty()) r += "\n";
    r += std::string("Game: ") + row.name + "    DPI: " + defaultNumber(dpi) + "\n";
    r += formatString("Starting sens: %s (%.1f cm/360)\n", sens(app.resultCm).c_str(), app.resultCm);
    r += formatString("RECOMMENDED:   %s (%.1f cm/360)\n", sens(rec).c_str(), rec);
    // The high cm/360 first, so a game's sensitivities read from small to large.
    r += formatString("Likely range:  %s - %s (%.1f - %.1f cm/360), confidence %s\n",
                      sens(app.analysis.highCm360).c_str(), sens(app.analysis.lowCm360).c_str(),
                      app.analysis.lowCm360, app.analysis.highCm360, app.analysis.confidence.c_str());
    r += formatString("Perfect DPI:   %d  (%s)\n\n", advice.recommendedDpi, advice.message.c_str());
    r += "Round  cm/360   sens        stage  flick(bits/s)  acc%   kill(ms)  track%  over%  under%  perf%\n";
    for (const RoundMetrics& m : app.analysis.rounds) {
        r += formatString("%5d  %6.1f   %-10s  %5d  %13.2f  %5.1f  %8.0f  %6.1f  %5.0f  %6.0f  %5.1f\n",
                          m.roundNumber + 1, m.cm360, sens(m.cm360).c_str(), m.stage, m.throughput,
                          m.accuracy * 100, m.avgKillMs, m.trackScore * 100, m.overflickPct, m.underflickPct,
                          m.performance);
    }
    r += "\nAll games at " + defaultNumber(dpi) + " DPI:\n";
    for (const GameInfo& g : gameCatalog()) {
        if (g.kind != GameKindYaw && g.kind != GameKindCalibrated) continue;
        r += std::string("  ") + g.name + ": " + formatGameSens(g, g.yaw, rec, dpi) + "\n";
    }
    return r;
}

std::string App::historyPath() const { return plat::joinPath(dataDir, "history.csv"); }
std::string App::reportsDir() const { return plat::joinPath(dataDir, "reports"); }

bool App::writeReport(const std::string& path, const std::string& text) const {
    plat::makeFolder(reportsDir());
    // Written beside and then moved over in one step: a kill during the write leaves the old
    // report (of the same second) or none, never half of one.
    return plat::writeFileAtomically(path, plat::withTextLineEnds(text));
}

void App::saveResult() {
    const std::time_t t = std::time(nullptr);
    const std::string when = plat::formatLocalTime("%Y-%m-%d %H:%M", t);
    const std::string stamp = plat::formatLocalTime("%Y%m%d_%H%M%S", t);

    const GameInfo& row = gameRowOrDefault(resultGame);
    const double rdpi = resultConfig.dpi;
    const double rec = analysis.recommendedCm360;
    const PerfectDpiAdvice advice = perfectDpi(row, resultYaw, rec, resultConfig.hFov, width);

    HistoryEntry e;
    e.when = when;
    e.game = historyGameKey(row);
    e.dpi = rdpi;
    if (row.kind == GameKindCm360) {
        e.current_sens = resultCm;
        e.recommended_sens = rec;
    } else {
        e.current_sens = sensFromCm360(resultYaw, resultCm, rdpi);
        // The value as the results screen shows it (the game's digits): read back and shown
        // with those digits again it is the same text, not a second rounding of a finer one.
        const double sens = sensFromCm360(resultYaw, rec, rdpi);
        e.recommended_sens = sens > 0 ? std::strtod(formatSens(sens, row.decimals).c_str(), nullptr) : 0;
    }
    e.current_cm360 = resultCm;
    e.recommended_cm360 = rec;
    e.range_low_cm = analysis.lowCm360;
    e.range_high_cm = analysis.highCm360;
    e.confidence = analysis.confidence;
    e.recommended_dpi = advice.recommendedDpi;
    e.type = resultMode;
    const std::string line = formatHistoryLine(e);
    const std::string path = plat::joinPath(reportsDir(), "Tarvion_" + stamp + ".txt");
    reportPath.clear();
    bool appended = false;
    if (profileLent) {
        owedWrites.push_back({historyPath(), line, kHistoryHeader, true});
        owedWrites.push_back({path, resultReportText(*this, when), nullptr, false});
    } else {
        appended = appendCsvLine(historyPath(), kHistoryHeader, line);
        if (writeReport(path, resultReportText(*this, when))) reportPath = path;
    }
    resultSaved = appended;

    if (appended) {
        loadHistory();
    } else {
        // A locked file: keep the result for this run, as it would have been read back.
        HistoryEntry kept;
        if (parseHistoryLine(line, kept)) history.push_back(kept);
        ++historyGeneration;
    }
}

void App::loadHistory() {
    history.clear();
    ++historyGeneration;
    for (const std::string& line : csvDataLines(historyPath())) {
        HistoryEntry e;
        if (parseHistoryLine(line, e)) history.push_back(e);
    }
}

HistoryEstimate App::historyEstimate(const std::string& key) const { return estimateFromHistory(history, key); }

const HistoryEstimate& App::cachedHistoryEstimate(const std::string& key) {
    HistoryViewCache& c = historyView;
    if (!c.estimateReady || c.estimateGeneration != historyGeneration || c.estimateRows != history.size() ||
        c.estimateKey != key) {
        c.estimate = historyEstimate(key);
        c.estimateReady = true;
        c.estimateGeneration = historyGeneration;
        c.estimateRows = history.size();
        c.estimateKey = key;
    }
    return c.estimate;
}
