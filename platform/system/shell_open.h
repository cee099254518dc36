#pragma once
// Showing a web page or a folder to the user with the system's own programs.
#include <cstdint>
#include <string>

namespace plat {

enum class OpenResult : int32_t {
    Opened = 0,  // the opener was started (and, where its exit is known, it succeeded)
    NoOpener,    // the system has no program to open it (on Linux: no xdg-open on the PATH, or
                 // xdg-open found no program for it)
    Failed,      // nothing to open, or the opener could not be started or failed
    Pending,     // the opener runs; its outcome comes from openerOutcome
};

// Hands a web address or a folder to the system's opener (Explorer's "open" verb; xdg-open
// on Linux), which shows it in the default browser or the file manager. An empty target, or
// one that starts with "-" (an opener would read it as an option), is refused as Failed.
// Never waits for the opener: where its outcome comes only with its exit (xdg-open), a
// caller that passes a watch gets Pending and the watch to poll; without one the start alone
// counts as Opened. *watch is 0 whenever the outcome is already final.
OpenResult openExternal(const std::string& target, uint64_t* watch = nullptr);

// The outcome of a Pending opener, without waiting: Pending while it runs, then what its exit
// says (xdg-open's exit status 3, no program for the target, is NoOpener; other failures
// Failed). An opener still running after a few seconds has evidently started a program and
// counts as Opened. A final outcome is given once; an unknown watch (0 among them) reads as
// Opened.
OpenResult openerOutcome(uint64_t watch);

// What a caller's watch has to tell this frame: Pending while there is nothing (no watch, or
// the opener still runs), else the final outcome, once, with the watch set back to 0.
inline OpenResult takeOpenerOutcome(uint64_t& watch) {
    if (watch == 0) return OpenResult::Pending;
    const OpenResult outcome = openerOutcome(watch);
    if (outcome != OpenResult::Pending) watch = 0;
    return outcome;
}

// openExternal for a folder; true when the opener was started.
inline bool openFolder(const std::string& path) { return openExternal(path) == OpenResult::Opened; }

}  // namespace plat
