#pragma once
// The command line: automation and maintenance switches.
#include <string>
#include <vector>

struct App;

// The values --speed and --scale accept. Over this range of speeds a self-test ends with the
// result of speed 1 (below it the run's clock barely moves, above it the clock's steps grow
// so large that the rounds' timing drifts); below this scale Dear ImGui's sizes fall under
// one pixel.
inline constexpr double kMinAutomationSpeed = 0.01;
inline constexpr double kMaxAutomationSpeed = 10000;
inline constexpr float kMinUiScale = 0.25f;
inline constexpr float kMaxUiScale = 8.0f;

// What the command line asks for beyond the App fields it sets.
struct CommandLine {
    // --export-sounds DIR: write the sound files and end; nothing else of the line is read.
    bool exportSounds = false;
    std::string exportDir;
    // --update-manifest URL (the last one given).
    bool manifestGiven = false;
    std::string manifestUrl;
    // The first value the line refuses, said for the player ("" when all were fine). The
    // program then ends with exit code 1 before anything else happens.
    std::string error;
};

// Applies the options in `args` (the program name excluded) to `app` in order, so the
// last of a repeated option wins. Unknown arguments are skipped; an option that needs a
// value and comes last is ignored. A --speed or --scale outside its range stops the reading
// with CommandLine::error set and the field unchanged.
CommandLine parseCommandLine(App& app, const std::vector<std::string>& args);

// argv as UTF-8 strings, without the program name.
std::vector<std::string> argumentsOf(int argc, char** argv);
