// scores.csv: the per-round log and the CSV helpers the result history shares.
#include "core/profile/score_log.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/kernel/metrics.h"
#include "platform/base/file_open.h"
#include "platform/base/files.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/base/timefmt.h"

std::vector<std::string> splitCsvLine(const std::string& line) {
    std::vector<std::string> fields;
    std::string current;
    for (char c : line) {
        if (c == ',') {
            fields.push_back(current);
            current.clear();
        } else if (c != '\r') {
            current += c;
        }
    }
    fields.push_back(current);
    return fields;
}

double csvLeadingDouble(const std::string& field) {
    const char* begin = field.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    return end == begin ? 0.0 : v;
}

int32_t csvLeadingInt(const std::string& field) {
    const char* begin = field.c_str();
    char* end = nullptr;
    const long long v = std::strtoll(begin, &end, 10);
    if (end == begin) return 0;
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

std::string formatScoreLine(const ScoreRow& row) {
    return formatString("%s,%s,%d,%.2f,%.3f,%.3f,%.0f,%.3f,%s", row.day.c_str(), row.game.c_str(), row.drill,
                        row.cm360, row.flick_bits_per_s, row.accuracy, row.kill_ms, row.track_on_target,
                        row.mode.c_str());
}

bool readCsvRow(const std::string& line, std::initializer_list<CsvField> fields, std::vector<std::string>* extra) {
    const std::vector<std::string> f = splitCsvLine(line);
    if (f.size() < fields.size()) return false;
    size_t i = 0;
    for (const CsvField& field : fields) {
        const std::string& text = f[i++];
        if (auto* s = std::get_if<std::string*>(&field)) **s = text;
        else if (auto* d = std::get_if<double*>(&field)) **d = csvLeadingDouble(text);
        else **std::get_if<int32_t*>(&field) = csvLeadingInt(text);
    }
    if (extra) extra->assign(f.begin() + static_cast<std::ptrdiff_t>(fields.size()), f.end());
    return true;
}

bool parseScoreLine(const std::string& line, ScoreRow& row) {
    return readCsvRow(line, {&row.day, &row.game, &row.drill, &row.cm360, &row.flick_bits_per_s, &row.accuracy,
                             &row.kill_ms, &row.track_on_target, &row.mode});
}

std::vector<std::string> csvDataLines(const std::string& path) {
    std::vector<std::string> lines;
    // Through the file layer, which reads only regular files and never waits on the open.
    std::string text;
    if (plat::readFileCapped(path, kCsvMaxBytes, text) == plat::ReadResult::Failed) return lines;
    // The first line is the header, whatever it holds. Past the cap the file is read as far
    // as its last whole line.
    size_t start = text.find('\n');
    if (start == std::string::npos) return lines;
    ++start;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            if (text.size() < kCsvMaxBytes) lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

CsvEnd csvEnd(const std::string& path) {
    if (!plat::fileAttributes(path)) return CsvEnd::Missing;
    // A first look through the file layer, which opens only regular files and never waits:
    // no byte at all, or at least one.
    std::string probe;
    const plat::ReadResult look = plat::readFileCapped(path, 0, probe);
    if (look == plat::ReadResult::Failed) return CsvEnd::NotAFile;
    if (look == plat::ReadResult::Ok) return CsvEnd::Empty;
    std::ifstream in(plat::fsPath(path), std::ios::binary);
    char last = 0;
    if (!in.seekg(-1, std::ios::end) || !in.get(last)) return CsvEnd::NotAFile;
    return last == '\n' ? CsvEnd::Complete : CsvEnd::Cut;
}

bool appendCsvLine(const std::string& path, const char* header, const std::string& line) {
    const CsvEnd end = csvEnd(path);
    if (end == CsvEnd::NotAFile) return false;
    std::string text;
    if (end == CsvEnd::Missing || end == CsvEnd::Empty) text = std::string(header) + '\n';
    // A last line without its end (an editor that saves without one) must not take the new
    // row onto it: the two would be one broken row.
    if (end == CsvEnd::Cut) text += '\n';
    text += line + '\n';
    // All or nothing: a row cut by a full disk would be read back as a row of its own.
    return plat::appendToFile(path, plat::withTextLineEnds(text));
}

DaySeries dailyProgress(const std::vector<ScoreRow>& rows, const std::string& gameId, int32_t drill, double cm360) {
    // Score rows within this distance of ln(cm360) count as "your current sens".
    constexpr double kSameSensLog = 0.08;
    DaySeries series;
    for (const ScoreRow& row : rows) {
        if (row.game != gameId || row.drill != drill) continue;
        // A round is only ever played at 6..200 cm/360; a row outside was edited by hand.
        if (!supportedCm360(row.cm360) || !(std::fabs(std::log(row.cm360 / cm360)) <= kSameSensLog)) continue;
        // A hand-edited "nan" or "inf" would poison the whole day's mean.
        if (!std::isfinite(row.flick_bits_per_s) || !std::isfinite(row.track_on_target)) continue;
        if (series.days.empty() || series.days.back() != row.day) {
            series.days.push_back(row.day);
            series.flick.push_back(0);
            series.tracking.push_back(0);
            series.count.push_back(0);
        }
        series.flick.back() += row.flick_bits_per_s;
        series.tracking.back() += 100 * row.track_on_target;
        series.count.back() += 1;
    }
    for (size_t i = 0; i < series.days.size(); ++i) {
        series.flick[i] /= series.count[i];
        series.tracking[i] /= series.count[i];
    }
    return series;
}

std::string App::scoresPath() const { return plat::joinPath(dataDir, "scores.csv"); }

void App::logScore(const RoundResult& result, const std::string& mode) {
    const RoundMetrics m = roundMetrics(result);
    ScoreRow row;
    row.day = plat::formatLocalTime("%Y-%m-%d");
    // Only the finder and the Sens Check set resultGame; practice and the Scope Check play
    // for the current game.
    const bool underResultGame = sessionKind == SessionFinder || sessionKind == SessionSensCheck;
    row.game = gameRowOrDefault(underResultGame ? resultGame : game).id;
    row.drill = result.config.style;
    row.cm360 = result.config.cm360;
    row.flick_bits_per_s = m.throughput;
    row.accuracy = m.accuracy;
    row.kill_ms = m.avgKillMs;
    row.track_on_target = m.trackOnTarget;
    row.mode = mode;
    scores.push_back(row);
    ++scoresGeneration;
    // A failed write (a locked file) keeps the row for this run only.
    if (profileLent) owedWrites.push_back({scoresPath(), formatScoreLine(row), kScoresHeader, false});
    else appendCsvLine(scoresPath(), kScoresHeader, formatScoreLine(row));
}

void App::loadScores() {
    scores.clear();
    ++scoresGeneration;
    for (const std::string& line : csvDataLines(scoresPath())) {
        ScoreRow row;
        if (parseScoreLine(line, row)) scores.push_back(row);
    }
}

const DaySeries& App::progressSeriesFor(const GameInfo& g) {
    HistoryViewCache& c = historyView;
    const int32_t drill = gameStyle(g, style);
    const double cm360 = currentCm360();
    if (!c.seriesReady || c.seriesGeneration != scoresGeneration || c.seriesRows != scores.size() ||
        c.seriesGame != g.id || c.seriesDrill != drill || c.seriesCm360 != cm360) {
        c.series = dailyProgress(scores, g.id, drill, cm360);
        c.seriesReady = true;
        c.seriesGeneration = scoresGeneration;
        c.seriesRows = scores.size();
        c.seriesGame = g.id;
        c.seriesDrill = drill;
        c.seriesCm360 = cm360;
    }
    return c.series;
}
