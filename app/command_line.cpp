#include "app/command_line.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/catalog/format.h"
#include "core/profile/app.h"

namespace {

bool takesValue(const std::string& option) {
    static const char* const withValue[] = {
        "--shots", "--speed", "--scale", "--size", "--inputtest", "--update-manifest", "--gallery",
        "--gif", "--gif-fps", "--gif-frames", "--banner", "--export-sounds",
    };
    for (const char* name : withValue)
        if (option == name) return true;
    return false;
}

// `value` as a number from low to high into `out`; else the player's message in `error`.
// Garbage reads as 0 and is refused with the rest; NaN fails both comparisons.
bool numberInRange(const char* option, const std::string& value, double low, double high, double& out,
                   std::string& error) {
    const double number = std::atof(value.c_str());
    if (number >= low && number <= high) {
        out = number;
        return true;
    }
    error = formatString("%s takes a number from %g to %g, not \"%s\".", option, low, high, value.c_str());
    return false;
}

}  // namespace

CommandLine parseCommandLine(App& app, const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--selftest") {
            app.automation = true;
            continue;
        }
        if (!takesValue(option) || i + 1 >= args.size()) continue;
        const std::string& value = args[++i];
        if (option == "--shots") {
            app.shotsDir = value;
        } else if (option == "--speed") {
            if (!numberInRange("--speed", value, kMinAutomationSpeed, kMaxAutomationSpeed, app.automationSpeed,
                               line.error))
                return line;
        } else if (option == "--scale") {
            double scale = 0;
            if (!numberInRange("--scale", value, kMinUiScale, kMaxUiScale, scale, line.error)) return line;
            app.uiScaleOverride = static_cast<float>(scale);
        } else if (option == "--size") {
            // What does not match keeps its value: "1280" sets the width only.
            std::sscanf(value.c_str(), "%dx%d", &app.sizeOverride[0], &app.sizeOverride[1]);
        } else if (option == "--inputtest") {
            app.inputTestFile = value;
        } else if (option == "--update-manifest") {
            line.manifestGiven = true;
            line.manifestUrl = value;
        } else if (option == "--gallery") {
            app.galleryDir = value;
            app.automation = true;
            app.shotsDir = value;
        } else if (option == "--gif") {
            app.gifDir = value;
            app.automation = true;
            app.shotsDir = value;
        } else if (option == "--gif-fps") {
            app.gifFps = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--gif-frames") {
            app.gifFrames = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--banner") {
            app.bannerDir = value;
            app.automation = true;
            app.shotsDir = value;
        } else if (option == "--export-sounds") {
            line.exportSounds = true;
            line.exportDir = value;
            return line;
        }
    }
    return line;
}

std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
    return args;
}
