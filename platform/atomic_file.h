#pragma once
// The two steps of replacing a file safely: write a temporary beside it, flush that to the
// disk, then move it over the old one in one step. Paths are UTF-8.
#include <string>

namespace plat {

// Flushes the file's data to the disk; true on success.
bool syncFile(const std::string& path);

// Moves `from` over `to` in one step, replacing `to` if it exists; true on success.
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace plat
