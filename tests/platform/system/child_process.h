#pragma once
// Other programs started by a test, with their own environment and output file, and how
// they end. No system headers here, so the shell's tests can use it.
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace child {

// Starts `program` with `args`, the variables of `env` set (an empty value removes one)
// and stdout and stderr appended to `log`; the process id, or -1.
int start(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::pair<std::string, std::string>>& env, const std::string& log);
// The exit code; -1 when the process had not ended within the time (it is then killed),
// -2 when a signal ended it.
int waitForExit(int pid, std::chrono::milliseconds limit);
// Whether the process is still running.
bool running(int pid);
// Asks the process to end, as a desktop does at logout (SIGTERM); then as waitForExit.
int terminate(int pid, std::chrono::milliseconds limit);
void kill(int pid);
// This test process's id.
int self();

}  // namespace child
