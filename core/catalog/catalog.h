#pragma once
// The fixed list of games the program knows and the sensitivity mathematics around it:
// every sensitivity is carried as cm/360 and converted to a game's own value with its yaw.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

enum GameKind : int32_t {
    GameKindYaw = 0,         // fixed degrees per count
    GameKindCalibrated = 1,  // yaw measured with the in-game calibration, held in the row
    GameKindUserYaw = 2,     // "Other game": the yaw is App.customYaw
    GameKindCm360 = 3,       // no in-game value; the user types a cm/360
};

struct GameInfo {
    const char* id;
    const char* name;
    double yaw;  // degrees per count at sensitivity 1; 0 means "calibrate first"
    int32_t decimals;  // digits shown after the point; negative means 3
    double sensMin;
    double sensMax;
    double defaultFov;  // horizontal at 16:9, used when App.fov is 0
    int32_t defaultStyle;
    double defaultCm360;
    const char* suffix;
    int32_t kind;  // GameKind
};

inline constexpr double kCmPerInch = 2.54;
// 360 degrees x 2.54 cm per inch.
inline constexpr double kCm360Factor = 914.4;

// Every cm/360 the program plays at or derives a start from is held to 6..200.
inline constexpr double kMinCm360 = 6;
inline constexpr double kMaxCm360 = 200;
inline double clampCm360(double cm360) { return std::clamp(cm360, kMinCm360, kMaxCm360); }
// A cm/360 the program could have made or played: within 6..200 (never a NaN).
inline bool supportedCm360(double cm360) { return cm360 >= kMinCm360 && cm360 <= kMaxCm360; }

// The twelve rows; the index of a row is the App.game value. Only the yaw of the
// calibrated row ever changes (setCalibratedYaw).
const std::vector<GameInfo>& gameCatalog();
// The row of an index; the default game's row (VALORANT) for an index out of range.
const GameInfo& gameRowOrDefault(int32_t index);
// Index of the row whose id equals `id` exactly; 0 (the first row) when none does.
// Safe to call from the scan thread: it reads ids only.
int32_t gameIndexById(const std::string& id);
// Sets the yaw of the calibrated rows with this id: yaw when > 0, else 0. The program
// reaches it through App::setReforgerYaw, which keeps App.reforgerYaw beside it.
void setCalibratedYaw(const std::string& id, double yaw);
// Every calibrated row back to no yaw, as the program starts.
void resetCalibratedYaws();

// kCm360Factor / (yaw x sens x dpi); 0 when any input is <= 0.
double cm360FromSens(double yaw, double sens, double dpi);
// kCm360Factor / (yaw x cm360 x dpi); 0 when any input is <= 0.
double sensFromCm360(double yaw, double cm360, double dpi);

// The value with `decimals` digits after the point (3 when negative).
std::string formatSens(double value, int32_t decimals);
// What the user types into that game for this cm/360: "35.0 cm/360" for the cm/360-only row,
// "calibrate first" when the yaw is unknown, else the value with the row's digits and suffix.
std::string formatGameSens(const GameInfo& row, double yaw, double cm360, double dpi);

// How fast a cm/360 is, in words: "very fast" below 20, "fast" below 28, "medium" below 42,
// "slow" below 60, else "very slow".
const char* speedWord(double cm360);

struct StyleWeights {
    double flick;
    double tracking;
};
StyleWeights styleWeights(int32_t style);
// Drill style of a game: 3 (Mil-sim) for Reforger, else the override (or the row's default
// when negative) mapped onto 0, 1, 2.
int32_t gameStyle(const GameInfo& row, int32_t styleOverride);
const char* styleName(int32_t style);

struct DpiOption {
    int32_t dpi = 0;
    double sens = 0;  // in-game value at this DPI; the cm/360 itself when the game has no yaw
    double degPerCount = 0;
    double pxPerCount = 0;  // screen pixels per count at the centre
    bool inRange = false;
    bool recommended = false;
    const char* verdict = "";
};

struct PerfectDpiAdvice {
    std::vector<DpiOption> options;  // 400, 800, 1600, 3200
    int32_t recommendedDpi = 800;
    std::string message;
};

PerfectDpiAdvice perfectDpi(const GameInfo& row, double yaw, double cm360, double fovDegrees, int32_t screenWidth);

// Monitor-distance match in percent for a scope speed multiplier at a 4x zoom:
// -1 below the reachable range, 0 at the same-feel speed, 999 above the range.
double fovMatchPercent(double multiplier, double fovDegrees);

// A NUL-terminated UTF-16 string as UTF-8; null or empty gives "".
std::string wideCStrToUtf8(const char16_t* text);
