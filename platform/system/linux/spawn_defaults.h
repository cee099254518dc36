#pragma once
// Start-up attributes for the programs this one starts: the signals it ignores for itself
// (SIGXFSZ, see prepareProcess) are theirs to handle as usual again.
#include <signal.h>
#include <spawn.h>

namespace plat {

class SpawnDefaults {
public:
    SpawnDefaults() {
        ready_ = posix_spawnattr_init(&attr_) == 0;
        if (!ready_) return;
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGXFSZ);
        posix_spawnattr_setsigdefault(&attr_, &defaults);
        posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnDefaults() {
        if (ready_) posix_spawnattr_destroy(&attr_);
    }
    SpawnDefaults(const SpawnDefaults&) = delete;
    SpawnDefaults& operator=(const SpawnDefaults&) = delete;

    // For posix_spawn: nullptr (the system's defaults) when the attributes could not be made.
    const posix_spawnattr_t* get() const { return ready_ ? &attr_ : nullptr; }

private:
    posix_spawnattr_t attr_;
    bool ready_ = false;
};

}  // namespace plat
