#pragma once
// The integration tests' fixture trees (tests/integration/data), and copies of them that a
// test may change.
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace testing_support {

inline std::filesystem::path fixtureDir(const std::string& name) {
    return std::filesystem::path(TARVION_SOURCE_DIR) / "tests" / "integration" / "data" / name;
}

// Copies a fixture tree into the folder, so a test may change it.
inline std::filesystem::path copyFixture(const TempFolder& folder, const std::string& name) {
    const std::filesystem::path to = folder.dir() / name;
    std::filesystem::copy(fixtureDir(name), to, std::filesystem::copy_options::recursive);
    return to;
}

}  // namespace testing_support
