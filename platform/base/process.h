#pragma once
// The running processes and this process's environment.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The executable names of the running processes (as Windows' process snapshot gives them:
// the file name, e.g. "ArmaReforgerSteam.exe"). On Linux from /proc: the command name, or
// the file name of argv[0] when the command name is the kernel's cut-off form of it.
// False when the list cannot be taken at all.
bool runningProcessNames(std::vector<std::string>& names);

// Called first thing at start-up, before anything is written. On Linux a write past the
// file-size limit (ulimit -f) then fails as a full disk does (EFBIG), where SIGXFSZ would end
// the program mid-write with nothing said. Windows has no such signal: nothing to do there.
void prepareProcess();

// Sets or removes an environment variable of this process; true on success.
bool setEnv(const char* name, const std::string& value);
bool unsetEnv(const char* name);

// This process's id.
uint32_t currentProcessId();

// Whether a process with this id is running on this machine. When that cannot be told (the
// process belongs to another user and the system will not say), it counts as running, so a
// caller that cleans up after ended processes never takes the files of a live one.
bool processRunning(uint32_t id);

}  // namespace plat
