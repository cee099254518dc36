#include "tests/platform/system/child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace child {

int start(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::pair<std::string, std::string>>& env, const std::string& log) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const auto& [name, value] : env) {
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    if (!freopen(log.c_str(), "a", stdout) || !freopen(log.c_str(), "a", stderr)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

int waitForExit(int pid, std::chrono::milliseconds limit) {
    if (pid <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid);
    return -1;
}

bool running(int pid) { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

int terminate(int pid, std::chrono::milliseconds limit) {
    if (pid <= 0) return -1;
    ::kill(pid, SIGTERM);
    return waitForExit(pid, limit);
}

void kill(int pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

int self() { return static_cast<int>(getpid()); }

}  // namespace child
