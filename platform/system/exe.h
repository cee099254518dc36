#pragma once
// The running executable and starting other executables.
#include <atomic>
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
    Started,     // it is up and has said so
    NotStarted,  // the system could not start it
    Ended,       // it ended before it said anything (a missing library, a crash, an exit, no window)
    Silent,      // it said nothing within the time and was ended
    Stopped,     // the wait was called off (the program is quitting) and it was ended
};

// Starts an executable as this program's successor, as launchExecutable does, and waits up
// to waitMs for it to say that it is up (confirmSuccessorStarted in the new program), or until
// *stop is set. One that has not said so by then is ended. It is told through its environment
// alone; nothing this process starts later is.
SuccessorStart launchSuccessor(const std::string& path, int waitMs, const std::atomic<bool>* stop = nullptr);

// For the program itself, once at its start: reads the hand-over from this process's
// environment and removes it, so that nothing this program starts inherits it. True when
// this run is the successor of the program that started it: that one's own hand-over (or an
// older build's restart from this program's folder). An older build that wants to hear at
// once is told here. Later calls give the first call's answer.
bool takeSuccessorHandOver();

// For a successor, once it can be used (its window is shown, OpenGL works, its renderer is
// up): tells the program that started it, which then quits. A no-op otherwise.
void confirmSuccessorStarted();

// How long a program's file may stay held after the program was ended: Windows keeps the
// image until the process is gone, and a crash debugger may hold it a while longer. 0 where
// a file can be renamed over at any time.
int endedProgramFileWaitMs();

}  // namespace plat
