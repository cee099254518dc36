#pragma once
// A FIFO where a file is expected, and a time limit for the code that meets it: a reader
// that blocks on the FIFO fails the test instead of hanging the run. POSIX only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace fifo_test {

inline bool makeFifo(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// Runs `body` on its own thread and gives it `limit`. When it is still running then, the
// body is released and the result is false: it would have hung. Releasing: each FIFO gets a
// read end held open (a writer blocked in open goes on, its few bytes fit the pipe) and a
// write end opened and closed again and again (a reader blocked in open or read then sees an
// empty stream).
inline bool finishesWithin(std::chrono::milliseconds limit, const std::vector<std::filesystem::path>& fifos,
                           const std::function<void()>& body) {
    std::future<void> done = std::async(std::launch::async, body);
    if (done.wait_for(limit) == std::future_status::ready) {
        done.get();
        return true;
    }
    std::vector<int> held;
    for (const std::filesystem::path& fifo : fifos) {
        const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd >= 0) held.push_back(fd);
    }
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        for (const std::filesystem::path& fifo : fifos) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    }
    for (int fd : held) ::close(fd);
    done.get();
    return false;
}

}  // namespace fifo_test
