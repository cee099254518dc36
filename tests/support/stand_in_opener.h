#pragma once
// The system's opener (xdg-open) replaced for the life of the object: PATH names a folder of
// the test's own, empty at first (no opener at all), then holding a stand-in script. POSIX
// only.
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

class StandInOpener {
public:
    StandInOpener() { std::filesystem::create_directories(folder_.at("bin")); }
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // The stand-in runs these shell lines; the system's own tools stay on PATH behind it.
    void script(const std::string& lines) {
        const std::string opener = folder_.file("bin/xdg-open");
        test_files::write(opener, "#!/bin/sh\n" + lines + "\n");
        ::chmod(opener.c_str(), 0700);
        path_.emplace("PATH", folder_.file("bin") + ":/usr/bin:/bin");
    }
    // A stand-in that writes its arguments to record(), one a line; the file appears whole.
    void recording() {
        const std::string r = record();
        script("printf '%s\\n' \"$@\" > '" + r + ".part' && mv '" + r + ".part' '" + r + "'");
    }
    std::string record() const { return folder_.file("opened.txt"); }
    // What the stand-in recorded, once it has (it runs in the background): up to five seconds.
    std::string recorded() const {
        test_files::waitForFile(record());
        return test_files::readText(record());
    }

private:
    TempFolder folder_;
    std::optional<ScopedEnv> path_{std::in_place, "PATH", folder_.file("bin")};
};
