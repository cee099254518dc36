#pragma once
// Hashing whole files.
#include <string>

namespace plat {

// The SHA-256 of a file's bytes as 64 lower-case hexadecimal digits; "" when the file cannot
// be opened or read, or the hash cannot be computed.
std::string sha256File(const std::string& path);

}  // namespace plat
