#pragma once
// Placeholder records; their owners fill them in.
struct RenderSphere {};
struct RoundResult {};
struct DrillRound {};
