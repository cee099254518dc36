#pragma once
// Opening files by UTF-8 name with the standard library. Windows reads the narrow names of
// fopen, of the file streams' string overloads and of std::filesystem::path(std::string)
// in the ANSI code page, which mangles "ë"; these helpers always hand the system the name
// as the text it is.
#include <cstdio>
#include <filesystem>
#include <string>

namespace plat {

// The path of a UTF-8 name, for the file streams (std::ifstream in(fsPath(name))) and the
// std::filesystem calls.
std::filesystem::path fsPath(const std::string& utf8);

// The UTF-8 text of a path (the way back from fsPath).
std::string utf8Path(const std::filesystem::path& path);

// std::fopen of a UTF-8 name; null when it cannot be opened.
std::FILE* openFile(const std::string& utf8, const char* mode);

}  // namespace plat
