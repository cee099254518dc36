// Screens that are not built yet show their name and a way back home.
#include "core/app.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {
[[maybe_unused]] void placeholder(App& app, const char* title) {
    sectionHeading(title, "This screen is not available in this build yet.");
    if (plainButton("Back to home")) {
        app.screen = ScreenHome;
        app.setupStep = 0;
    }
}
}  // namespace

