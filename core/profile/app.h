#pragma once
// The one application record: every piece of state the program keeps, in one place.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/profile/game_lists.h"
#include "core/profile/history.h"
#include "core/profile/score_log.h"
#include "core/records/detected_game.h"
#include "core/records/reforger_settings.h"
#include "core/records/renderer.h"
#include "engine/kernel/analysis.h"
#include "engine/kernel/debris.h"
#include "engine/kernel/drill_round.h"
#include "engine/kernel/session.h"
#include "engine/kernel/sim_aimer.h"

using Rgb = std::array<float, 3>;

// The settings table: the 37 settings.ini keys in the file's order, each with its type,
// name and default, whether the Settings screen's "Reset to defaults" restores it (the
// look-and-sound settings), and the values the program's controls offer for it
// (SettingValues, see core/profile/settings.h). The App fields, loading, saving, the
// unattended resets and that reset are all made from this list.
#define TARVION_SETTINGS_FIELDS(X)                                                \
    X(int32_t, game, 1, false, settingIds(SettingIdKind::Game))                   \
    X(double, dpi, 800, false, inRange(50, 64000))                                \
    X(double, sens, 0.4, false, anyPositive())                                    \
    X(bool, sensUnknown, false, false, anyValue())                                \
    X(double, customYaw, 0.022, false, anyPositive())                             \
    X(double, cmDirect, 35, false, inRange(6, 200))                               \
    X(int32_t, style, -1, false, inRange(-1, 2))                                  \
    X(int32_t, length, 1, false, inRange(0, 2))                                   \
    X(double, fov, 0, false, inRange(70, 130, {0}))                               \
    X(int32_t, xhStyle, 0, true, inRange(0, 3))                                   \
    X(float, xhSize, 7, true, inRange(1, 30))                                     \
    X(float, xhThick, 2, true, inRange(1, 8))                                     \
    X(float, xhGap, 3, true, inRange(0, 20))                                      \
    X(Rgb, xhColor, (Rgb{0.0f, 1.0f, 0.55f}), true, inRange(0, 1))                \
    X(bool, xhOutline, true, true, anyValue())                                    \
    X(Rgb, flickColor, (Rgb{0.1f, 0.85f, 0.92f}), true, inRange(0, 1))            \
    X(Rgb, trackColor, (Rgb{0.98f, 0.55f, 0.2f}), true, inRange(0, 1))            \
    X(float, volume, 0.6f, true, inRange(0, 1))                                   \
    X(int32_t, fpsCap, 1000, true, oneOf({144, 240, 360, 500, 1000, 0}))          \
    X(bool, vsync, false, true, anyValue())                                       \
    X(bool, msaa, true, true, anyValue())                                         \
    X(bool, fullscreen, true, true, anyValue())                                   \
    X(bool, showFps, false, true, anyValue())                                     \
    X(IdList, myGames, "", false, anyValue())                                     \
    X(IdList, knownGames, "", false, anyValue())                                  \
    X(double, reforgerYaw, 0, false, zeroOrPositive())                            \
    X(double, reforgerFov, 0, false, inRange(0, 180))                             \
    X(bool, tutorialDone, false, false, anyValue())                               \
    X(bool, checkUpdates, true, true, anyValue())                                 \
    X(std::string, gun, "halberd", false, settingIds(SettingIdKind::Gun))         \
    X(std::string, skin, "factory", false, settingIds(SettingIdKind::Skin))       \
    X(std::string, theme, "lab", false, settingIds(SettingIdKind::Map))           \
    X(int64_t, xp, 0, false, zeroOrPositive())                                    \
    X(int32_t, trackSpeed, 1, true, inRange(0, 2))                                \
    X(int32_t, hitSound, 0, false, inRange(0, 3))                                 \
    X(double, scopeMult, 1.0, false, inRange(0.3, 3.0))                           \
    X(bool, scopeMeasured, false, false, anyValue())

#define TARVION_COUNT_SETTING(type, name, value, look, values) +1
inline constexpr size_t kSettingsCount = 0 TARVION_SETTINGS_FIELDS(TARVION_COUNT_SETTING);
#undef TARVION_COUNT_SETTING
static_assert(kSettingsCount == 37, "settings.ini holds 37 keys");

// Screen values held in App.screen.
enum Screen : int32_t {
    ScreenHome = 0,
    ScreenSetup = 1,
    ScreenRound = 2,
    ScreenResults = 3,
    ScreenDpi = 4,
    ScreenConverter = 5,
    ScreenHistory = 6,
    ScreenSettings = 7,
    ScreenCalibrate = 8,
    ScreenArmory = 9,
    ScreenTools = 10,
    ScreenScopeResult = 11,
};

enum SessionKind : int32_t { SessionFinder = 0, SessionPractice = 1, SessionSensCheck = 2, SessionScopeCheck = 3 };
enum RoundPhase : int32_t { RoundPlaying = 0, RoundBetween = 1, RoundPaused = 2 };

// What the History screen derives from the stored rows, with the inputs it was built from;
// rebuilt when the rows change (their generation or count) or the inputs do.
struct HistoryViewCache {
    bool estimateReady = false;
    uint64_t estimateGeneration = 0;
    size_t estimateRows = 0;
    std::string estimateKey;
    HistoryEstimate estimate;
    bool seriesReady = false;
    uint64_t seriesGeneration = 0;
    size_t seriesRows = 0;
    std::string seriesGame;
    int32_t seriesDrill = 0;
    double seriesCm360 = 0;
    DaySeries series;
};

struct App {
    App();
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Window and clock
    void* hwnd = nullptr;
    int32_t width = 1600;
    int32_t height = 900;
    float uiScale = 1.0f;
    float uiScaleOverride = 0;
    bool quitRequested = false;
    bool mouseCaptured = false;
    int64_t qpcFrequency = 0;
    int64_t qpcStart = 0;
    double now = 0;
    double fps = 0;

    // Renderer
    Renderer renderer;

    // Settings
#define TARVION_DECLARE_SETTING(type, name, value, look, values) type name = value;
    TARVION_SETTINGS_FIELDS(TARVION_DECLARE_SETTING)
#undef TARVION_DECLARE_SETTING

    // A settings.ini that could not be read: it still has to be moved aside before a save
    // (pending). The home screen's note about the file (unreadable, or not saved) until the
    // player has seen it; a failed save is told once a run.
    bool settingsUnreadablePending = false;
    bool settingsSaveFailureTold = false;
    std::string settingsNoticeTitle;
    std::string settingsNotice;

    // While the profile is lent to a new version that is starting (an update), this copy
    // writes nothing to it: a save, the rows and the reports it would write wait here, and
    // are written once the profile is back (takeProfileBack). When the new version takes
    // over, this copy ends and they go with it.
    struct OwedWrite {
        std::string path;
        std::string text;           // a report's whole text, or a CSV row
        const char* header = nullptr;  // a CSV row's header; nullptr: a report
        bool history = false;       // a row of history.csv
    };
    bool profileLent = false;
    bool settingsSaveOwed = false;
    std::vector<OwedWrite> owedWrites;

    // Data folder and fonts
    std::string dataDir;
    void* fontBody = nullptr;
    void* fontSmall = nullptr;
    void* fontSemibold = nullptr;
    void* fontTitle = nullptr;
    void* fontHero = nullptr;

    // Screen state
    int32_t screen = ScreenHome;
    int32_t setupStep = 0;
    int32_t dpiReturnScreen = 0;
    int32_t practiceReturnScreen = 0;
    int32_t sessionKind = SessionFinder;
    int32_t roundPhase = RoundPlaying;
    int32_t phaseBeforePause = 0;
    float resultsScrollY = -1;
    bool absoluteMouseSeen = false;
    // The screen the UI drew last (-1 before the first), and whether the one on display this
    // frame was not on display the frame before: a screen just opened starts at its top and
    // takes the keyboard focus.
    int32_t lastScreen = -1;
    bool screenOpened = false;
    // "Later" on the home screen's update card, for the rest of the run.
    bool updateLater = false;

    // The two sub-objects
    TestSession session;
    DrillRound round;

    // Practice and round state
    double practiceCm = 35;
    int32_t roundCounter = 0;
    double nextRoundAt = 0;
    bool stageChanged = false;
    RoundResult lastRound;
    std::vector<RoundResult> practiceRounds;
    std::vector<Debris> debris;
    std::vector<RenderSphere> renderList;
    double menuClock = 0;
    int32_t lastCountdownTick = 99;
    bool tourVisible = false;
    int32_t tourPage = 0;
    bool tutorialPractice = false;
    bool showTutorialDone = false;
    double hitMarkerTime = -10;
    double swayInput[2] = {0, 0};
    float gunSway[2] = {0, 0};
    float gunRoll = 0;
    float recoil[2] = {0, 0};
    bool aiming = false;
    float zoom = 0;

    // Results
    bool hasResult = false;
    AnalysisResult analysis;
    SessionConfig resultConfig;
    int32_t resultGame = 1;
    double resultYaw = 0.022;
    double resultCm = 35;
    std::string reportPath;
    // The result's row is in history.csv (saveResult appended it): only then do the results
    // say it was saved to the History.
    bool resultSaved = false;
    std::string resultMode = "finder";
    bool isSensCheckResult = false;
    std::vector<SensCheckEntry> sensChecks;
    double cmBeforeCheck = 0;
    // Note for the results screen when it shows an older result than the session just played
    // (a Sens Check that could not be analysed); empty otherwise.
    std::string resultNotice;

    // History and scores. Every writer bumps the generation of what it changed, so the views
    // built from the rows (historyView) know when to rebuild.
    std::vector<HistoryEntry> history;
    std::vector<ScoreRow> scores;
    uint64_t historyGeneration = 0;
    uint64_t scoresGeneration = 0;
    HistoryViewCache historyView;

    // Scope session and scope result
    TestSession scopeSession;
    AnalysisResult scopeAnalysis;
    bool hasScopeResult = false;
    double scopeHipCm360 = 35;
    double scopeBestMultiplier = 1.0;
    double scopeLowMultiplier = 1.0;
    double scopeHighMultiplier = 1.0;

    // DPI tool
    bool dpiMeasuring = false;
    int64_t dpiCountsX = 0;
    int64_t dpiCountsY = 0;
    int32_t dpiDistanceIndex = 1;
    std::vector<double> dpiTries;

    // Reforger and calibration tools
    ReforgerSettings reforger;
    std::string reforgerStatus;
    bool reforgerStatusOk = false;
    int32_t calGame = -1;
    double calSens = 1.0;
    int32_t calTurns = 1;
    bool calCounting = false;
    int64_t calCounts = 0;
    std::vector<double> calTries;
    int32_t calReturnScreen = 0;
    bool rawInputSink = false;
    bool f8HotkeyOk = false;

    // Converter tool: its own copy of the numbers, taken from the settings on the first
    // visit and kept across visits (convReady says it was taken)
    bool convReady = false;
    int32_t convGame = 1;
    double convSens = 0.4;
    double convYaw = 0.022;
    double convCm = 35;
    int32_t convDpi = 800;
    int32_t convToDpi = 800;

    // Progression
    int32_t lastXpGain = 0;
    int32_t newLevel = 0;
    double levelUpUntil = 0;
    std::string unlockedText;
    int32_t armoryTab = 0;

    // Share
    bool shareRequested = false;
    int32_t shareCaptureRect[4] = {0, 0, 0, 0};
    bool shareCapturePending = false;
    std::string toast;

    // The About card's donation button: payment service, handle there and page address, as
    // the build options set them (no button while the service or the address is empty), and
    // what the last press had to say.
    std::string donateService;
    std::string donateHandle;
    std::string donateUrl;
    std::string donateNotice;
    // What the History screen's last "Open data folder" had to say when the folder could not
    // be shown (empty after it opened).
    std::string dataFolderNotice;
    // The system openers of those two presses while their outcome is still to come (0: none).
    uint64_t donateOpener = 0;
    uint64_t dataFolderOpener = 0;

    // Threads
    std::vector<DetectedGame> detectedGames;
    std::atomic<bool> detectionDone{false};
    std::thread detectionThread;
    bool foundGamesNotNow = false;

    // Automation
    bool automation = false;
    std::string galleryDir;
    int32_t sizeOverride[2] = {0, 0};
    std::string bannerDir;
    std::string gifDir;
    bool bannerMode = false;
    int32_t gifFps = 12;
    int32_t gifFrames = 84;
    std::string inputTestFile;
    double automationSpeed = 8.0;
    std::string shotsDir;
    SimAimer simAimer;
    int32_t simRoundCounter = 0;
    std::string pendingCapture;
    // Why an unattended run failed (a self-test step that gave up waiting) and the files it
    // was meant to leave but could not write. Either ends the program with exit code 1.
    std::string automationFailure;
    std::vector<std::string> unwrittenFiles;

    // ---- Unattended resets -------------------------------------------------
    // Every settings field back to its default (the catalogue's Reforger yaw with it).
    void resetSettingsToDefaults();
    // App.reforgerYaw and the catalogue's calibrated Reforger row together; <= 0 is none.
    void setReforgerYaw(double yaw);
    // The look-and-sound settings back to their defaults (the Settings screen's reset); the
    // game, the mouse, the hit sound and the progress stay.
    void resetLookAndSound();
    // --inputtest: defaults, then windowed, silent, 800 DPI.
    void applyInputTestReset();
    // Automated runs: defaults, then the fixed profile the captures and the self-test expect.
    void applyAutomationReset();

    // ---- Sensitivity and view helpers --------------------------------------
    // Seconds of the performance counter since start-up (the wall clock, not App.now).
    double secondsSinceStart() const;
    // The catalogue row of App.game; the default game when the index is out of range.
    const GameInfo& currentGame() const;
    // Yaw of the current game (App.customYaw for "Other game", 0.022 when that is not > 0).
    double gameYaw() const;
    // cm/360 of the current settings, clamped to 6..200.
    double currentCm360() const;
    // Horizontal FOV at 16:9: App.fov when it is a usable angle, else the game's default.
    double horizontalFov() const;
    double verticalFov() const;
    // Horizontal FOV of the window: the vertical FOV is held, the width follows the aspect.
    double windowFov() const;
    bool isScopedView() const;
    // The FOV the 3D view is drawn with (the scope zoom applied on the round screen).
    double viewFov() const;
    // The current gun's shot sound, and the recoil kick.
    void playShotSound(bool hit);
    // Adopts a cm/360 as the setting of the result's game and saves the settings.
    void setSensFromCm360(double cm360);
    // ---- Progression -------------------------------------------------------
    // Adds the XP of a finished round; a level-up sets the toast, the unlock text and plays
    // the fanfare. Saves the settings either way.
    void awardXp(const RoundResult& result);
    // ---- Settings file -----------------------------------------------------
    // dataDir + "settings.ini".
    std::string settingsPath() const;
    // Reads settings.ini when it exists and takes its values as read, except that a dpi
    // outside 50..64000, a game outside the catalogue, a length outside 0..2, a frame cap of
    // 1 to 29, and a sensitivity, a yaw or a scope multiplier that no use could take (it
    // would overflow) go back to their defaults; then hands the Reforger calibration to the
    // catalogue. A missing file leaves every field as it is; so does one that cannot be read
    // as text, which is moved aside (keepUnreadableSettings) and told of in settingsNotice.
    // A UTF-8 byte-order mark is skipped.
    void loadSettings();
    // Rewrites settings.ini through a temporary file and one rename, so a failed write
    // leaves the previous file whole; through a link it writes the link's target. It never
    // writes over an unreadable file that could not be moved aside. The first failed save
    // of a run is told in settingsNotice.
    void saveSettings();
    // Moves an unreadable settings.ini to settings.ini.unreadable (or that name with a
    // number, the first that is free) and sets settingsNotice; false when it cannot.
    bool keepUnreadableSettings();
    // Saves settings.ini and from then on writes nothing to the profile (profileLent).
    void lendProfile();
    // The profile is this copy's again: what waited is written, in order. A result whose row
    // reaches history.csv now counts as saved, and its report as written.
    void takeProfileBack();
    // ---- Score log ---------------------------------------------------------
    // dataDir + "scores.csv".
    std::string scoresPath() const;
    // Appends the finished round to App.scores and then to scores.csv (header first when the
    // file is missing or empty). Practice and Scope Check rows carry App.game, finder and Sens
    // Check rows App.resultGame. A failed write keeps the row in memory only.
    void logScore(const RoundResult& result, const std::string& mode);
    // Replaces App.scores with the rows of scores.csv; rows with fewer than 9 fields are skipped.
    void loadScores();
    // dailyProgress of App.scores for this game at the current settings (its drill for
    // App.style, currentCm360), kept in historyView until the scores or those inputs change.
    const DaySeries& progressSeriesFor(const GameInfo& game);
    // ---- Result history and reports ----------------------------------------
    // dataDir + "history.csv", and the folder of the text reports.
    std::string historyPath() const;
    std::string reportsDir() const;
    // Appends the current result to history.csv, writes its text report and reloads the
    // history. The row and the report use the DPI and FOV the rounds ran at (resultConfig).
    // reportPath names the report only when it was written (else it is emptied); when the
    // append fails the new row is kept in App.history for this run and resultSaved is false.
    void saveResult();
    // Writes a text report at `path` (in reportsDir) whole or not at all.
    bool writeReport(const std::string& path, const std::string& text) const;
    // Replaces App.history with the rows of history.csv; rows with fewer than 11 fields are skipped.
    void loadHistory();
    // Pools the history rows whose game column equals `key` (see historyGameKey), whose
    // recommended cm/360 lies within 6..200 and whose likely low is not above its high (the
    // range held to 6..200) into one cm/360 with an error band, all three within 6..200.
    HistoryEstimate historyEstimate(const std::string& key) const;
    // historyEstimate(key), kept in historyView until the history or the key changes.
    const HistoryEstimate& cachedHistoryEstimate(const std::string& key);
    // ---- Game lists --------------------------------------------------------
    // Catalogue indices of the known ids in myGames, in list order (duplicates kept). The
    // readers here use what was parsed when the list was set.
    const std::vector<int32_t>& myGameIndices() const;
    bool isMyGame(int32_t index) const;
    // Removes the game's id from myGames and, with `add`, appends it at the end.
    void setMyGame(int32_t index, bool add);
    // Detected catalogue games not yet in knownGames; empty until detection is done.
    std::vector<int32_t> shownGameIndices() const;
    // Appends the ids of these games to knownGames unless already there.
    void mergeKnownGames(const std::vector<int32_t>& indices);
};
