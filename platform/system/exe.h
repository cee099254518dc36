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

// Puts the executable at `exe` also at `aside`, which must not exist yet, as the first step
// of replacing it. Linux: a second link to the same file (a copy where the folder's
// filesystem has no links), so a program stays at `exe` until the new one is renamed over
// it. Windows, which cannot replace a running image: `exe` is moved to `aside`.
bool keepExecutableAside(const std::string& exe, const std::string& aside);

// How a successor came out of its start (launchSuccessor).
enum class SuccessorStart {
    Started,     // it runs and has said so
    NotStarted,  // the system could not start it
    Ended,       // it ended before it said anything (a missing library, a crash, an exit)
    Silent,      // it said nothing within the time and was ended
};

// Starts an executable as this program's successor, as launchExecutable does, and waits up
// to waitMs for it to say that it runs (takeSuccessorHandOver in the new program). It is
// told through its environment alone; nothing this process starts later is.
SuccessorStart launchSuccessor(const std::string& path, int waitMs);

// For the program itself, once at its start: when it was started by launchSuccessor (or by
// an older build's restart), tells the program that started it that it runs, and removes the
// hand-over from this process's environment so that nothing it starts inherits it. True when
// this run is such a successor. Later calls give the first call's answer.
bool takeSuccessorHandOver();

}  // namespace plat
