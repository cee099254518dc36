#pragma once
// A time limit for code that may wait on something the test holds (a server, a pipe): the
// test fails instead of hanging the run.
#include <chrono>
#include <functional>
#include <future>

namespace time_limit {

// Runs `body` on its own thread and gives it `limit`. When it is still running then,
// `release` is called, which must make the body end (stop the server it waits on, close the
// pipe it reads), and the result is false: the body would have waited for as long as the
// other side liked.
inline bool finishesWithin(std::chrono::milliseconds limit, const std::function<void()>& body,
                           const std::function<void()>& release) {
    std::future<void> done = std::async(std::launch::async, body);
    if (done.wait_for(limit) == std::future_status::ready) {
        done.get();
        return true;
    }
    release();
    done.get();
    return false;
}

}  // namespace time_limit
