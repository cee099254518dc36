#pragma once
// A fresh folder under the system's temporary folder (or under another), removed with
// everything in it at the end. Names in and out are UTF-8, as the platform layer takes them.
#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "tests/support/files.h"

class TempFolder {
public:
    TempFolder() : TempFolder(std::filesystem::temp_directory_path()) {}
    explicit TempFolder(const std::filesystem::path& parent) {
        // Unique across test processes that run side by side: a folder that is there
        // already belongs to another one.
        static const unsigned run = std::random_device{}();
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path p =
                parent / ("tarvion_test_" + std::to_string(run) + "_" + std::to_string(++counter));
            std::error_code ec;
            if (std::filesystem::create_directories(p, ec)) path_ = p;
        }
    }
    ~TempFolder() {
        if (path_.empty() || kept_) return;
        std::error_code ec;
        // A test may have left the folder read-only.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, and a name in it, as paths.
    const std::filesystem::path& dir() const { return path_; }
    std::filesystem::path at(const std::string& name) const { return path_ / test_files::u8path(name); }
    // The same as UTF-8 text.
    std::string path() const { return test_files::utf8(path_); }
    std::string file(const std::string& name) const { return test_files::utf8(at(name)); }

    // Leaves the folder in place at the end, for a failed test's logs.
    void keep() { kept_ = true; }

    void write(const std::string& name, const std::string& bytes) const { test_files::write(at(name), bytes); }
    // Text mode, as test_files::readText.
    std::string read(const std::string& name) const { return test_files::readText(at(name)); }
    static std::string readFile(const std::string& path) { return test_files::readText(test_files::u8path(path)); }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};
