// The FOV the 3D view is drawn with; needs the running round's configuration.
#include <cmath>

#include "core/catalog/angles.h"
#include "core/profile/app.h"

double App::viewFov() const {
    if (screen != ScreenRound) return windowFov();
    if (sessionKind == SessionScopeCheck) return round.config.hFov;
    const float z = zoom;
    const float s = z * z * (3.0f - 2.0f * z);
    const double t = std::tan(windowFov() * kDegToRad / 2);
    double divisor = 1;
    if (s > 0.6f) divisor = 1.0 + 3.0 * static_cast<double>((s - 0.6f) / 0.4f);
    return 2 * std::atan(t / divisor) * kRadToDeg;
}

