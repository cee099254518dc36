#pragma once
// The scene renderer: OpenGL 3.3 core entry points, shader programs, the multisample
// target, the gun models and the passes that draw one frame of the 3D scene.
//
// No GL header here: the Renderer record that App holds (core/records/renderer.h) keeps
// GL object names as plain unsigned ints. Every call below needs the OpenGL context current
// on the calling thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/records/renderer.h"

struct RenderSphere;
struct Debris;
struct MapInfo;
struct SkinInfo;

// What the shell wants drawn this frame.
struct SceneView {
    double yaw = 0;    // degrees; 0 looks along -z, positive turns right
    double pitch = 0;  // degrees; positive looks up
    double fov = 90;   // horizontal, degrees
    int32_t width = 0;
    int32_t height = 0;
    const std::vector<RenderSphere>* spheres = nullptr;
    const std::vector<Debris>* debris = nullptr;
    float targetColor[3] = {0.1f, 0.85f, 0.92f};
    float orbColor[3] = {0.98f, 0.55f, 0.2f};
    float dim = 0;                   // 0..1 darkening behind overlays
    const MapInfo* map = nullptr;    // null = the first map
    float time = 0;                  // seconds, drives animated effects
    int32_t gunIndex = -1;           // model index; -1 = no gun
    const SkinInfo* skin = nullptr;  // null = the first skin
    float gunSway[2] = {0, 0};       // metres
    float gunKick[2] = {0, 0};       // kick back (metres), recoil pitch (degrees)
    float gunYaw = 0;                // degrees
    float gunRoll = 0;               // degrees
    float zoom = 0;                  // 0..1 aim-down-sights amount
    float muzzleFlash = 0;           // 0..1
    bool armoryPreview = false;
    float previewSpin = 0;  // turntable angle, degrees
    float previewScale = 1;
    float previewOffsetX = 0.3f;
    float previewYaw = -1;  // degrees; negative = automatic swing
    float previewOffsetY = -0.02f;
};

// ---- Loader and target ------------------------------------------------------
// Resolves the OpenGL 3.3 entry points; false when one is missing or the context is older
// than 3.3. The optional swap control never affects the result.
bool loadGlFunctions();
// 1 = vsync, 0 = off; does nothing without swap control.
void setSwapInterval(int interval);
// Compiles one shader; 0 when it fails to compile (the log goes to the debug output).
unsigned int compileShader(unsigned int type, const char* source);
// Compiles and links a program; 0 when a stage fails to compile or the link fails.
unsigned int linkProgram(const char* vertexSource, const char* fragmentSource);
// Follows the window size and the sample count (< 2 = no target, draw into the window).
void ensureMsaaTarget(MsaaTarget& target, int width, int height, int samples);
void releaseMsaaTarget(MsaaTarget& target);

// ---- Models and passes ------------------------------------------------------
// Uploads the embedded model pack; true when at least one model was loaded.
bool loadModelPack(Renderer& renderer);
// Uploads the models of a pack held in memory (the same parser as above).
bool loadModelPack(Renderer& renderer, const uint8_t* data, size_t size);
// Programs, models and meshes; false when a shader program could not be made.
bool initRenderer(Renderer& renderer);
// Draws the frame into the target (or the window without one) and resolves it.
void drawScene(Renderer& renderer, const SceneView& view);
// The gun with its muzzle flash, over the world (called by drawScene).
void drawTargetsAndGun(Renderer& renderer, const SceneView& view, int width, int height);

// ---- Read-back ----------------------------------------------------------------
// The window's back buffer as a 24-bit BMP; false for an empty size or a failed write.
bool saveFrameBmp(const char* path, int width, int height);
bool saveFrameBmp(Renderer& renderer, const char* path, int width, int height);
// A rectangle of the back buffer, (x, y) its top-left corner with y growing downwards, as
// top-down RGB rows. The rectangle is clipped to the window (windowWidth > 0 also clips the
// right edge); pixels outside stay black. False when width or height is <= 0.
bool readFrameRegion(int x, int y, int width, int height, int windowHeight, std::vector<uint8_t>& out,
                     int windowWidth = 0);
