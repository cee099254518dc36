#pragma once
// How saveSettings puts settings.ini in place. The defaults are the platform's; tests swap
// them to act out a disk that fails to flush or a folder where the rename cannot happen.
#include <string>

struct SettingsFileOps {
    bool (*syncFile)(const std::string& path);
    bool (*replaceFile)(const std::string& from, const std::string& to);
};

SettingsFileOps& settingsFileOps();
