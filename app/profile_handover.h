#pragma once
// The profile's hand-over to the new version an update starts: this copy saves it and lets
// go of it before the new one starts, writes nothing while it may be the new one's, and takes
// it back when the new one did not come up.
struct App;

// Once a frame, after the buffer swap. When the install asks for the profile: saves it and
// lets go of it. After a failed install: takes it back. When another copy has taken it in
// the meantime (and keeps it), this copy is the second one and ends as a second start does,
// writing nothing and bringing that copy to the front.
void settleProfileHandOver(App& app);

// At the exit, once the updater's threads have stopped: a profile still lent comes back
// (waiting a few seconds for the new version's hold to go) unless the new version is up and
// has it. After this, App.profileLent tells whether the exit may write the profile.
void takeProfileBackAtExit(App& app);
