#pragma once
// The program's angles are degrees; the maths library's are radians. Pi itself is the
// standard library's std::numbers::pi.
#include <numbers>

inline constexpr double kDegToRad = std::numbers::pi / 180.0;
inline constexpr double kRadToDeg = 180.0 / std::numbers::pi;
