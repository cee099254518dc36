#pragma once
// What the shell asks the renderer to draw this frame, by screen.
#include "render/renderer.h"

struct App;

// The round's view with its targets, gun and dimming; the Armory's turntable (posed for the
// banner under bannerMode); elsewhere the slow drift of the menu background. On the round
// screen this also fills App.renderList from the round.
SceneView buildSceneView(App& app);
