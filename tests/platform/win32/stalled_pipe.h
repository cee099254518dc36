#pragma once
// A named pipe whose server takes every connection and never writes: a reader that waits on
// it would wait for ever. A time limit for the code that meets it releases such a reader by
// closing the server's end, so the test fails instead of hanging.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/time_limit.h"

namespace pipe_test {

class StalledPipe {
public:
    // `name` is the pipe's path, "\\.\pipe\..." (a backslash inside the rest is allowed).
    explicit StalledPipe(const std::wstring& name) {
        for (int i = 0; i < 4; ++i) {
            HANDLE h = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                        PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) instances_.push_back(h);
        }
    }
    ~StalledPipe() { close(); }
    StalledPipe(const StalledPipe&) = delete;
    StalledPipe& operator=(const StalledPipe&) = delete;

    bool ok() const { return !instances_.empty(); }
    // The server's end goes: a reader blocked on the pipe gets a broken pipe.
    void close() {
        for (HANDLE h : instances_) {
            DisconnectNamedPipe(h);
            CloseHandle(h);
        }
        instances_.clear();
    }

private:
    std::vector<HANDLE> instances_;
};

// Runs `body` with a time limit; false (after releasing it by closing the pipe) when it
// was still running then.
inline bool finishesWithin(std::chrono::milliseconds limit, StalledPipe& pipe, const std::function<void()>& body) {
    return time_limit::finishesWithin(limit, body, [&pipe] { pipe.close(); });
}

}  // namespace pipe_test
