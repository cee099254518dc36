#pragma once
// Placeholder records; their owners fill them in.
struct SimAimer {};
