#pragma once
// Whole-file reads and writes for the tests (a file that cannot be opened reads as empty),
// and paths as UTF-8.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace test_files {

// Paths from and to UTF-8 text, as the platform layer takes them (std::filesystem would read
// narrow names in the ANSI code page on Windows).
inline std::filesystem::path u8path(const std::string& utf8Text) {
    return std::filesystem::path(std::u8string(utf8Text.begin(), utf8Text.end()));
}

inline std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The bytes as they are on disk.
inline std::string read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes with zeros after them up to `size`; never cut (a program padded past a minimum
// size keeps its whole image).
inline std::string paddedTo(std::string bytes, size_t size) {
    if (bytes.size() < size) bytes.resize(size, '\0');
    return bytes;
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text mode: the program writes text with the platform's line ends ("\r\n" on Windows),
// which read back as "\n".
inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Replaces the file with exactly these bytes, making the folders above it first.
inline void write(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ignored;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Waits up to `limit` for a file to appear (a child process writes it); true once it is there.
inline bool waitForFile(const std::filesystem::path& path, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The lines of a text, without their "\n".
inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace test_files
