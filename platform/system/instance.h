#pragma once
// One running copy per profile folder: the copy that claims the folder keeps it until it
// quits, and a later start with the same folder brings that copy's window to the front
// instead of running beside it (both would write the same settings and logs).
#include <cstdint>
#include <string>

namespace plat {

enum class FolderClaim : int32_t {
    Claimed,        // this process holds the folder now
    HeldElsewhere,  // another running copy holds it
    Unavailable,    // no lock could be made there (the program goes on without one)
};

// Claims the folder for this process until releaseProfileFolder or its exit. A copy started
// by the holder as its successor (the update's restart, see launchSuccessor) waits a few
// seconds for it to quit instead of finding it held. Linux: an flock on "tarvion.lock" in the
// folder. A file a copy holds is the lock whatever its names; one nobody holds is the
// program's own plain file, and a link, a FIFO or another file's second name there is
// replaced, never written through or waited on. Windows: a named mutex made from the
// folder's path.
FolderClaim claimProfileFolder(const std::string& folder);
// Claims the folder again after releaseProfileFolder (an update that lent the profile to a
// new version that did not start), waiting up to waitMs for a holder to let go of it.
FolderClaim takeBackProfileFolder(const std::string& folder, int waitMs);
// Tells later starts which window to bring to the front (after claimProfileFolder).
void publishProfileWindow(void* window);
// From a start that found the folder held: brings the holder's window to the front. False
// when it has shown none yet (it is still starting) or it cannot be reached.
bool raiseProfileHolder(const std::string& folder);
void releaseProfileFolder();

}  // namespace plat
