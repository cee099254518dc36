#pragma once
// A fresh folder under the system temp folder, removed with everything in it at the end.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class TempFolder {
public:
    TempFolder() {
        // Unique across test processes that run side by side.
        static const unsigned run = std::random_device{}();
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("tarvion_core_" + std::to_string(run) + "_" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string read(const std::string& name) const { return readFile(file(name)); }

    // Text mode: the program writes text with the platform's line ends ("\r\n" on
    // Windows), which read back as "\n".
    static std::string readFile(const std::string& path) {
        std::ifstream in(path);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::filesystem::path path_;
};
