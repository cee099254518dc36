#pragma once
// scores.csv: one line per finished round of every kind of session, kept in App.scores too.
// Field names follow the file's header words.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

struct ScoreRow {
    std::string day;   // local date, "%Y-%m-%d"
    std::string game;  // catalogue id
    int32_t drill = 0;  // drill style of the round
    double cm360 = 0;
    double flick_bits_per_s = 0;
    double accuracy = 0;         // kills / shots, 0..1
    double kill_ms = 0;          // mean kill time
    double track_on_target = 0;  // 0..1
    std::string mode;            // "finder", "check", "scope" or "practice"
};

inline constexpr const char* kScoresHeader =
    "day,game,drill,cm360,flick_bits_per_s,accuracy,kill_ms,track_on_target,mode";

// The comma splitter of both CSV files: no quoting, carriage returns dropped wherever they
// stand, empty fields kept (an empty line is one empty field, a trailing comma a trailing
// empty field).
std::vector<std::string> splitCsvLine(const std::string& line);

// Leading decimal number of a field (blanks before it allowed); 0 when there is none.
double csvLeadingDouble(const std::string& field);
// Leading decimal integer of a field, limited to the int32 range; 0 when there is none.
int32_t csvLeadingInt(const std::string& field);

// One column of a CSV row and where its value goes: text as it stands, numbers read with
// csvLeadingDouble and csvLeadingInt.
using CsvField = std::variant<std::string*, double*, int32_t*>;
// The one row reader of both files: splits the line and stores its first fields.size()
// columns in order; false (nothing stored) when the line has fewer. The columns after them
// go to `extra` when it is given.
bool readCsvRow(const std::string& line, std::initializer_list<CsvField> fields,
                std::vector<std::string>* extra = nullptr);

// One row as the file holds it, without the line end.
std::string formatScoreLine(const ScoreRow& row);
// One data line of the file; false (row untouched) when it has fewer than 9 fields.
bool parseScoreLine(const std::string& line, ScoreRow& row);

// The lines of a CSV file after its first line (the header, whatever it holds), without
// their line ends; none when the file is missing or no regular file (reading never waits on
// a FIFO or a device). Past kCsvMaxBytes the file is read as far as its last whole line.
std::vector<std::string> csvDataLines(const std::string& path);

// The daily means of the rounds played at about one sensitivity: parallel lists, one entry
// per run of counting rows of one day.
struct DaySeries {
    std::vector<std::string> days;
    std::vector<double> flick;     // mean flick speed, bits/s
    std::vector<double> tracking;  // mean time on target, percent
    std::vector<int32_t> count;    // rounds of the entry
};

// The History screen's progress series: rows of this game id and drill whose cm/360 lies
// within 8 % (|ln(row / cm360)| <= 0.08) of `cm360`, in stored order; a counting row of
// another day than the last entry's starts a new entry. Rows with values that are not
// finite, or a cm/360 outside 6..200, are left out.
DaySeries dailyProgress(const std::vector<ScoreRow>& rows, const std::string& gameId, int32_t drill, double cm360);

// How a CSV file ends, which decides how an append starts.
enum class CsvEnd {
    Missing,   // no such file
    Empty,     // zero bytes
    Complete,  // its last line has its line end
    Cut,       // its last line lacks one
    NotAFile,  // a folder, a FIFO, a device, or a file that cannot be read
};
CsvEnd csvEnd(const std::string& path);

// Appends `line` (and a line end) to the file, writing `header` first when the file is
// missing or empty (a zero-byte file left by a crash would otherwise lose its first row as
// "the header") and a line end first when its last line has none. Lines end as in a text
// file of the platform. False when the file cannot be opened or written, or is no regular
// file; the file is then as it was (a write cut short by a full disk is taken back).
bool appendCsvLine(const std::string& path, const char* header, const std::string& line);

// A CSV file is read whole up to this size; past it, as far as its last whole line.
inline constexpr size_t kCsvMaxBytes = size_t(256) << 20;
