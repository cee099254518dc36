#pragma once
// GLSL 3.30 core sources of the world (room and sky), sphere and gun programs.

extern const char* const kWorldVertexShader;
extern const char* const kWorldFragmentShader;
extern const char* const kSphereVertexShader;
extern const char* const kSphereFragmentShader;
extern const char* const kGunVertexShader;
extern const char* const kGunFragmentShader;
