#pragma once
// Geometry the UI keeps from frame to frame, an addition to Dear ImGui's OpenGL3 backend.
// A shape of a hundred thousand vertices (a chart of ten years of days) is drawn once with
// the draw list's own calls; the backend uploads it once per version and draws it from its
// copy every frame, so the frame holds one command for it instead of rebuilding it. The
// triangles are the very ones the draw list would have made, in the same order, so the
// pixels are too.
#include <cstdint>
#include <functional>

#include "imgui.h"

struct KeptUiGeometry {
    // Its own draw list, emptied and drawn again on a rebuild (its buffers stay allocated).
    ImDrawList list{nullptr};
    uint64_t version = 0;  // a new value whenever the geometry is rebuilt
};

// Rebuilds `kept` from what `draw` adds to its draw list, set up to draw like `like` (its
// flags, texture and the context's shared data).
void keepUiGeometry(KeptUiGeometry& kept, const ImDrawList& like, const std::function<void(ImDrawList&)>& draw);

// Draws the kept geometry at this point of the draw list, within its current clip rectangle.
// `kept` must live until the frame has been rendered.
void drawKeptUiGeometry(ImDrawList& dl, const KeptUiGeometry& kept);

// Frees the backend's copies; called while the GL context is still current.
void releaseKeptUiGeometry();
