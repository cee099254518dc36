#pragma once
// Shared helpers of the integration tests: scratch folders, fixture copies and
// environment variables that are put back afterwards.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "platform/base/paths.h"
#include "platform/base/process.h"

namespace testing_support {

inline std::filesystem::path fixtureDir(const std::string& name) {
    return std::filesystem::path(TARVION_SOURCE_DIR) / "tests" / "integration" / "data" / name;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("tarvion-integration-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Copies a fixture tree in, so a test may change it.
    std::filesystem::path copyFixture(const std::string& name) const {
        std::filesystem::path to = path_ / name;
        std::filesystem::copy(fixtureDir(name), to, std::filesystem::copy_options::recursive);
        return to;
    }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Sets (or removes) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        bool set = false;
        std::string old = plat::getEnv(name, &set);
        if (set) old_ = old;
        if (value) plat::setEnv(name, *value);
        else plat::unsetEnv(name);
    }
    ~ScopedEnv() {
        if (old_) plat::setEnv(name_, *old_);
        else plat::unsetEnv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace testing_support
