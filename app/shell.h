#pragma once
// The program from start to end: start-up, main loop, shutdown.
#include <cstdint>
#include <string>
#include <vector>

struct App;

// The whole program for these arguments (program name excluded); the process exit code:
// 0 after a normal end or --export-sounds; 1 after a refused command line, a start-up
// failure or an unattended run that failed or could not write what it was asked for.
int runTarvion(const std::vector<std::string>& args);

// Frames until App.quitRequested (the window and every subsystem are up).
void runMainLoop(App& app);

// Seconds of the counter value since start-up.
double counterSeconds(const App& app, int64_t counter);
// dt of one frame: the time since the previous one, 0 when negative, at most 0.1 s.
double clampedFrameTime(double now, double previous);
// The application clock for a frame: the wall clock in interactive runs; under automation
// it runs automationSpeed times faster, except in a playing round, whose session flow steps
// it itself.
void advanceAppClock(App& app, double wallNow, double dt);
// Where a named capture goes: the output folder (the data folder when there is none).
std::string capturePath(const App& app, const std::string& name);
