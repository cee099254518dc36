#pragma once
// Column-major 4x4 matrices (element [column][row] at m[column * 4 + row]) for the passes.
#include "render/renderer.h"

struct Mat4 {
    float m[16] = {};
    float& at(int column, int row) { return m[column * 4 + row]; }
    float at(int column, int row) const { return m[column * 4 + row]; }
};

Mat4 mat4Identity();
Mat4 operator*(const Mat4& a, const Mat4& b);
// Applies the matrix to the point (x, y, z, 1) and drops w.
void mat4Point(const Mat4& a, const float in[3], float out[3]);

// The world camera: perspective from the horizontal FOV (near 0.05, far 200) times the view
// of yaw and pitch, with the eye at the origin.
Mat4 worldViewProj(const SceneView& view);
// The gun's own perspective: vertical FOV in degrees, near 0.01, far 20.
Mat4 gunProjection(double verticalFovDegrees, double aspect);
// Where the model sits in front of the eye: the first-person pose or the Armory turntable.
Mat4 gunModelMatrix(const SceneView& view, const GunModel& model);
