#pragma once
// Fixtures of the updater tests: private temporary folders, file locations and the loopback
// HTTP server.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/files.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_folder.h"

namespace updater_test {

namespace fs = std::filesystem;

inline std::string fileUrl(const fs::path& p) { return "file://" + fs::absolute(p).string(); }

}  // namespace updater_test
