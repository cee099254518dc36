#pragma once
// Hit debris: the particles a flick kill throws out, moved by the session flow every frame
// and drawn by the scene.

struct Debris {
    float pos[3] = {0, 0, 0};  // world position
    float vel[3] = {0, 0, 0};
    float life = 0;      // seconds left
    float lifeSpan = 0;  // initial life
    float size = 0;
    float color[3] = {0, 0, 0};
};
