#pragma once
// Small helpers for the sound tests: a scratch folder and environment overrides.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

// A fresh folder under the system temp folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tarvion_audio_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for its lifetime, then puts the old value back.
class EnvOverride {
public:
    EnvOverride(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(name, value.c_str());
    }
    ~EnvOverride() {
        if (old_)
            set(name_.c_str(), old_->c_str());
        else
            unset(name_.c_str());
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
#if defined(_WIN32)
    static void set(const char* name, const char* value) { _putenv_s(name, value); }
    static void unset(const char* name) { _putenv_s(name, ""); }
#else
    static void set(const char* name, const char* value) { ::setenv(name, value, 1); }
    static void unset(const char* name) { ::unsetenv(name); }
#endif
    std::string name_;
    std::optional<std::string> old_;
};

inline std::vector<uint8_t> readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
