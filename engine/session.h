#pragma once
// Placeholder records; their owners fill them in.
struct SessionConfig {};
struct SessionRound {};
struct TestSession {};
