#pragma once
// The command line: automation and maintenance switches.
#include <string>
#include <vector>

struct App;

// What the command line asks for beyond the App fields it sets.
struct CommandLine {
    // --export-sounds DIR: write the sound files and end; nothing else of the line is read.
    bool exportSounds = false;
    std::string exportDir;
    // --update-manifest URL (the last one given).
    bool manifestGiven = false;
    std::string manifestUrl;
};

// Applies the options in `args` (the program name excluded) to `app` in order, so the
// last of a repeated option wins. Unknown arguments are skipped; an option that needs a
// value and comes last is ignored.
CommandLine parseCommandLine(App& app, const std::vector<std::string>& args);

// argv as UTF-8 strings, without the program name.
std::vector<std::string> argumentsOf(int argc, char** argv);
