#pragma once
// Showing a web page or a folder to the user with the system's own programs.
#include <cstdint>
#include <string>

namespace plat {

enum class OpenResult : int32_t {
    Opened = 0,  // the opener was started
    NoOpener,    // the system has no opener to start (on Linux: no xdg-open on the PATH)
    Failed,      // nothing to open, or the opener could not be started
};

// Hands a web address or a folder to the system's opener (Explorer's "open" verb; xdg-open
// on Linux), which shows it in the default browser or the file manager; does not wait for
// it. An empty target, or one that starts with "-" (an opener would read it as an option),
// is refused as Failed.
OpenResult openExternal(const std::string& target);

// openExternal for a folder; true when the opener was started.
inline bool openFolder(const std::string& path) { return openExternal(path) == OpenResult::Opened; }

}  // namespace plat
