#pragma once
// The round asks the shell to capture the mouse (hide and confine it) or to release it. The
// shell installs its handler here at start-up, so the engine does not link the window layer
// and runs headless in tests; with no handler installed a request does nothing.

struct App;

using MouseCaptureSink = void (*)(App& app, bool on);
void setMouseCaptureSink(MouseCaptureSink sink);

// Forwards to the installed handler (the shell's setMouseCaptured).
void requestMouseCapture(App& app, bool on);
