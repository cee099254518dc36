#include "core/profile/app.h"

#include "platform/base/clock.h"
#include "tarvion_build_options.h"

App::App() {
    qpcFrequency = plat::counterFrequency();
    qpcStart = plat::counterNow();
    donateService = kDonateServiceOption;
    donateHandle = kDonateHandleOption;
    donateUrl = kDonateUrlOption;
}

App::~App() {
    if (detectionThread.joinable()) detectionThread.join();
}

void App::resetSettingsToDefaults() {
#define TARVION_RESET_SETTING(type, name, value, look, values) name = value;
    TARVION_SETTINGS_FIELDS(TARVION_RESET_SETTING)
#undef TARVION_RESET_SETTING
    // The catalogue row follows the field, as when the settings are loaded.
    setReforgerYaw(reforgerYaw);
}

void App::setReforgerYaw(double yaw) {
    reforgerYaw = yaw > 0 ? yaw : 0;
    setCalibratedYaw("reforger", reforgerYaw);
}

void App::resetLookAndSound() {
#define TARVION_RESET_LOOK(type, name, value, look, values) \
    if (look) name = value;
    TARVION_SETTINGS_FIELDS(TARVION_RESET_LOOK)
#undef TARVION_RESET_LOOK
}

void App::applyInputTestReset() {
    resetSettingsToDefaults();
    settingsNotice.clear();  // the run's screens do not depend on the profile either
    fullscreen = false;
    volume = 0.0f;
    dpi = 800;
}

void App::applyAutomationReset() {
    resetSettingsToDefaults();
    settingsNotice.clear();  // the run's screens do not depend on the profile either
    game = gameIndexById("valorant");
    dpi = 800;
    sens = 0.32;
    length = 1;
    fullscreen = false;
    volume = 0.0f;
    fpsCap = 240;
    xp = 5000;
    tutorialDone = true;
}
