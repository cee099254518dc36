#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/profile/app.h"

namespace {

struct Case {
    const char* name;
    std::vector<std::string> args;
    std::function<void(const App&, const CommandLine&)> check;
};

TEST(CommandLine, AppliesOptionsInOrder) {
    const Case cases[] = {
        {"no arguments: interactive defaults", {},
         [](const App& a, const CommandLine& c) {
             EXPECT_FALSE(a.automation);
             EXPECT_TRUE(a.shotsDir.empty());
             EXPECT_TRUE(a.inputTestFile.empty());
             EXPECT_DOUBLE_EQ(a.automationSpeed, 8.0);
             EXPECT_FALSE(c.exportSounds);
             EXPECT_FALSE(c.manifestGiven);
         }},
        {"--selftest", {"--selftest"}, [](const App& a, const CommandLine&) { EXPECT_TRUE(a.automation); }},
        {"value option as the last argument is ignored", {"--shots"},
         [](const App& a, const CommandLine&) { EXPECT_TRUE(a.shotsDir.empty()); }},
        {"unknown arguments are skipped", {"foo", "--shots", "S", "-x"},
         [](const App& a, const CommandLine&) { EXPECT_EQ(a.shotsDir, "S"); }},
        {"option names are case-sensitive", {"--SELFTEST", "--Shots", "S"},
         [](const App& a, const CommandLine&) {
             EXPECT_FALSE(a.automation);
             EXPECT_TRUE(a.shotsDir.empty());
         }},
        {"--gif then --shots: --shots wins", {"--gif", "D", "--shots", "E"},
         [](const App& a, const CommandLine&) {
             EXPECT_EQ(a.shotsDir, "E");
             EXPECT_EQ(a.gifDir, "D");
             EXPECT_TRUE(a.automation);
         }},
        {"--shots then --gif: the gif folder wins", {"--shots", "E", "--gif", "D"},
         [](const App& a, const CommandLine&) { EXPECT_EQ(a.shotsDir, "D"); }},
        {"--gallery and --banner set automation and the output folder", {"--gallery", "G", "--banner", "B"},
         [](const App& a, const CommandLine&) {
             EXPECT_EQ(a.galleryDir, "G");
             EXPECT_EQ(a.bannerDir, "B");
             EXPECT_EQ(a.shotsDir, "B");
             EXPECT_TRUE(a.automation);
         }},
        {"repeated option: the last wins", {"--gif-fps", "30", "--gif-fps", "24"},
         [](const App& a, const CommandLine&) { EXPECT_EQ(a.gifFps, 24); }},
        {"--gif-fps 0 and --gif-frames -3 become 1", {"--gif-fps", "0", "--gif-frames", "-3"},
         [](const App& a, const CommandLine&) {
             EXPECT_EQ(a.gifFps, 1);
             EXPECT_EQ(a.gifFrames, 1);
         }},
        {"--size WxH sets both", {"--size", "1280x720"},
         [](const App& a, const CommandLine&) {
             EXPECT_EQ(a.sizeOverride[0], 1280);
             EXPECT_EQ(a.sizeOverride[1], 720);
         }},
        {"--size W sets the width only", {"--size", "1280x720", "--size", "1024"},
         [](const App& a, const CommandLine&) {
             EXPECT_EQ(a.sizeOverride[0], 1024);
             EXPECT_EQ(a.sizeOverride[1], 720);
         }},
        {"--speed takes a positive finite value", {"--speed", "2.5"},
         [](const App& a, const CommandLine&) { EXPECT_DOUBLE_EQ(a.automationSpeed, 2.5); }},
        {"--speed 0, negative, garbage or non-finite is refused and keeps the clock running",
         {"--speed", "4", "--speed", "0", "--speed", "-1", "--speed", "abc", "--speed", "inf", "--speed", "nan"},
         [](const App& a, const CommandLine& c) {
             EXPECT_DOUBLE_EQ(a.automationSpeed, 4.0);
             EXPECT_EQ(c.error, "--speed takes a number from 0.01 to 10000, not \"0\".");
         }},
        {"--scale up to 8", {"--scale", "1.5"},
         [](const App& a, const CommandLine& c) {
             EXPECT_FLOAT_EQ(a.uiScaleOverride, 1.5f);
             EXPECT_EQ(c.error, "");
         }},
        {"--scale above 8 is refused", {"--scale", "2", "--scale", "9", "--scale", "1e30"},
         [](const App& a, const CommandLine& c) {
             EXPECT_FLOAT_EQ(a.uiScaleOverride, 2.0f);
             EXPECT_EQ(c.error, "--scale takes a number from 0.25 to 8, not \"9\".");
         }},
        {"a refused value stops the reading", {"--speed", "1e308", "--selftest", "--shots", "S"},
         [](const App& a, const CommandLine& c) {
             EXPECT_FALSE(c.error.empty());
             EXPECT_FALSE(a.automation);
             EXPECT_TRUE(a.shotsDir.empty());
         }},
        {"--inputtest", {"--inputtest", "out.txt"},
         [](const App& a, const CommandLine&) {
             EXPECT_EQ(a.inputTestFile, "out.txt");
             EXPECT_FALSE(a.automation);
         }},
        {"--update-manifest", {"--update-manifest", "https://a/1", "--update-manifest", "https://b/2"},
         [](const App&, const CommandLine& c) {
             EXPECT_TRUE(c.manifestGiven);
             EXPECT_EQ(c.manifestUrl, "https://b/2");
         }},
        {"--export-sounds stops reading", {"--export-sounds", "snd", "--selftest", "--shots", "X"},
         [](const App& a, const CommandLine& c) {
             EXPECT_TRUE(c.exportSounds);
             EXPECT_EQ(c.exportDir, "snd");
             EXPECT_FALSE(a.automation);
             EXPECT_TRUE(a.shotsDir.empty());
         }},
        {"--export-sounds without a folder is ignored", {"--selftest", "--export-sounds"},
         [](const App& a, const CommandLine& c) {
             EXPECT_FALSE(c.exportSounds);
             EXPECT_TRUE(a.automation);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        CommandLine line = parseCommandLine(app, c.args);
        c.check(app, line);
    }
}

TEST(CommandLine, SpeedAndScaleAreCheckedAgainstTheirRanges) {
    struct Range {
        const char* option;
        const char* value;
        bool accepted;
    };
    const Range cases[] = {
        {"--speed", "1e-300", false}, {"--speed", "1e308", false}, {"--speed", "0.0099", false},
        {"--speed", "0.01", true},    {"--speed", "1", true},      {"--speed", "10000", true},
        {"--speed", "10000.5", false}, {"--speed", "-8", false},
        {"--scale", "0.03", false},   {"--scale", "0.2", false},   {"--scale", "0", false},
        {"--scale", "-1", false},     {"--scale", "0.25", true},   {"--scale", "8", true},
        {"--scale", "8.01", false},   {"--scale", "x", false},
    };
    for (const Range& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.value);
        App app;
        const CommandLine line = parseCommandLine(app, {c.option, c.value});
        EXPECT_EQ(line.error.empty(), c.accepted) << line.error;
        if (std::string(c.option) == "--speed") {
            EXPECT_DOUBLE_EQ(app.automationSpeed, c.accepted ? std::atof(c.value) : 8.0);
        } else {
            EXPECT_FLOAT_EQ(app.uiScaleOverride, c.accepted ? static_cast<float>(std::atof(c.value)) : 0.0f);
        }
        if (!c.accepted) {
            EXPECT_NE(line.error.find(c.option), std::string::npos);
        }
    }
}

TEST(CommandLine, ArgumentsSkipTheProgramName) {
    char prog[] = "tarvion", a[] = "--shots", b[] = "dir";
    char* argv[] = {prog, a, b, nullptr};
    EXPECT_EQ(argumentsOf(3, argv), (std::vector<std::string>{"--shots", "dir"}));
}

}  // namespace
