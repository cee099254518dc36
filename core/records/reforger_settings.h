#pragma once
// What was read from Arma Reforger's settings file, as App holds it.
#include <string>

struct ReforgerSettings {
    bool found = false;        // read, and holds a number after "m_fMouseSensitivity"
    std::string path;          // the file; empty unless found
    double mouseSensitivity = 0;
    double firstPersonFov = 0;  // 0 when "m_fFirstPersonFOV" is missing
};
