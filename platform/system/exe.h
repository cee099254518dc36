#pragma once
// The running executable and starting other executables.
#include <string>

namespace plat {

// The full path of the running executable; "" when it cannot be found.
std::string runningExecutablePath();

// The bytes every executable of this platform starts with ("MZ" on Windows, "\x7f" "ELF"
// on Linux).
std::string executableMagic();

// Gives a file the permissions it needs to be run (on Linux: the execute bits wherever it
// can be read). True on success; always true where files need no such mark.
bool markExecutable(const std::string& path);

// Moves an executable to another name in its folder, replacing a file there; also the
// running executable. A plain rename: the file it replaces is not kept anywhere (a replace
// that parks the old file under a temporary name would strand a running image there).
bool moveExecutable(const std::string& from, const std::string& to);

// Starts an executable with no arguments, this process's environment and current folder,
// and none of this process's open files. Does not wait for it. True when it started.
bool launchExecutable(const std::string& path);

}  // namespace plat
