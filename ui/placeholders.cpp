// Screens that are not built yet show their name and a way back home.
#include "core/app.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {
void placeholder(App& app, const char* title) {
    sectionHeading(title, "This screen is not available in this build yet.");
    if (plainButton("Back to home")) {
        app.screen = ScreenHome;
        app.setupStep = 0;
    }
}
}  // namespace

void drawConverterScreen(App& app) { placeholder(app, "Converter"); }
void drawHistoryScreen(App& app) { placeholder(app, "History"); }
void drawArmory(App& app) { placeholder(app, "Armory"); }
void drawToolsScreen(App& app) { placeholder(app, "Tools"); }
void drawScopeResultScreen(App& app) { placeholder(app, "Scope Check result"); }
