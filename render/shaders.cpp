#include "render/shaders.h"

// Lattice hash, value noise and an antialiased grid line, shared by the fragment stages.
#define TARVION_GLSL_NOISE                                                                       \
    "float hash3(vec3 p) {\n"                                                                    \
    "    p = fract(p * 0.3183099 + 0.1) * 17.0;\n"                                               \
    "    return fract(p.x * p.y * p.z * (p.x + p.y + p.z));\n"                                   \
    "}\n"                                                                                        \
    "float noise3(vec3 x) {\n"                                                                   \
    "    vec3 i = floor(x);\n"                                                                   \
    "    vec3 f = fract(x);\n"                                                                   \
    "    vec3 u = f * f * (3.0 - 2.0 * f);\n"                                                    \
    "    return mix(mix(mix(hash3(i), hash3(i + vec3(1, 0, 0)), u.x),\n"                         \
    "                   mix(hash3(i + vec3(0, 1, 0)), hash3(i + vec3(1, 1, 0)), u.x), u.y),\n"   \
    "               mix(mix(hash3(i + vec3(0, 0, 1)), hash3(i + vec3(1, 0, 1)), u.x),\n"         \
    "                   mix(hash3(i + vec3(0, 1, 1)), hash3(i + vec3(1, 1, 1)), u.x), u.y),\n"   \
    "               u.z);\n"                                                                     \
    "}\n"                                                                                        \
    "float grid(vec2 c, float spacing, float width) {\n"                                         \
    "    vec2 g = c / spacing;\n"                                                                \
    "    vec2 w = fwidth(g);\n"                                                                  \
    "    vec2 a = abs(fract(g - 0.5) - 0.5) / max(w, vec2(1e-5));\n"                             \
    "    float l = min(a.x, a.y);\n"                                                             \
    "    return 1.0 - clamp(l / width, 0.0, 1.0);\n"                                             \
    "}\n"

const char* const kWorldVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
uniform mat4 uViewProj;
out vec3 vPos;
out vec3 vNormal;
void main() {
    vPos = aPos;
    vNormal = aNormal;
    gl_Position = uViewProj * vec4(aPos, 1.0);
}
)";

const char* const kWorldFragmentShader = "#version 330 core\n" TARVION_GLSL_NOISE R"(
uniform float uDim;
uniform vec3 uWall, uFloor, uCeil, uLine, uMajor, uTrim;
uniform vec3 uSkyTop, uSkyBot, uSun;
uniform float uSky, uMinorS, uMajorS, uTime;
in vec3 vPos;
in vec3 vNormal;
out vec4 fragColor;

float fbm(vec3 p) {
    return 0.5 * noise3(p) + 0.25 * noise3(2.03 * p + 11.0) + 0.125 * noise3(4.1 * p + 23.0)
         + 0.0625 * noise3(8.3 * p + 5.0);
}

float ridge(float az, float k, float amp, float base) {
    return base + amp * (0.55 * sin(2.0 * k * az + 1.3) + 0.30 * sin(5.1 * k * az + 0.4)
                         + 0.15 * sin(11.7 * k * az + 2.0));
}

vec3 skyColour(vec3 dir, vec3 sun, bool retro) {
    float el = dir.y;
    vec3 col = mix(uSkyBot, uSkyTop, pow(smoothstep(-0.02, 0.7, el), 0.6));
    float s = max(dot(dir, sun), 0.0);
    if (!retro) {
        col += uSun * (1.4 * smoothstep(0.99955, 0.99975, s) + 0.35 * pow(s, 64.0) + 0.12 * pow(s, 6.0));
        float cl = smoothstep(0.52, 0.78, fbm(vec3(1.4 * dir.xz / (el + 0.18), 0.0) + vec3(0.01 * uTime, 0.0, 0.0)));
        col = mix(col, vec3(1.0, 0.98, 0.95), 0.55 * cl * smoothstep(0.03, 0.25, el));
    } else {
        float disc = smoothstep(0.98, 0.981, s);
        float below = sun.y - el;
        float cut = below > 0.0 ? step(0.62 - 6.0 * below, fract(55.0 * below)) : 0.0;
        vec3 sunCol = mix(uSun, vec3(1.0, 0.25, 0.55), clamp(8.0 * below + 0.5, 0.0, 1.0));
        col = mix(col, sunCol, disc * (1.0 - cut));
        col += uSun * 0.25 * pow(s, 10.0);
        col += 0.8 * step(0.9985, hash3(floor(400.0 * dir))) * smoothstep(0.15, 0.5, el);
    }
    return col;
}

vec3 outdoor(vec3 dir) {
    bool retro = uSky >= 1.5;
    float el = dir.y;
    float az = atan(dir.x, -dir.z);
    vec3 sun = retro ? normalize(vec3(0.0, 0.16, -0.987)) : normalize(vec3(0.28, 0.66, -0.70));
    vec3 haze = mix(uSkyBot, uFloor, 0.5);
    // The ground plane 1.7 below the eye; its grids are taken on every fragment so that
    // their screen-space derivatives stay defined.
    vec3 g = dir * 1.7 / max(-el, 1e-4);
    float d = length(g.xz);
    float majorGrid = grid(g.xz + uTime * vec2(0.0, 1.5), uMajorS, 1.4);
    float minorGrid = grid(g.xz, uMinorS, 1.0);
    if (retro) {
        float m1 = ridge(az, 1.0, 0.05, 0.03);
        float m2 = ridge(az + 1.7, 1.6, 0.025, 0.012);
        if (el > m1) return skyColour(dir, sun, true);
        if (el > max(m2, 0.0))
            return mix(vec3(0.10, 0.03, 0.18), uSkyBot, 0.35) + 0.05 * uMajor * smoothstep(m1 - 0.006, m1, el);
        if (el > 0.0) return vec3(0.06, 0.02, 0.11);
        vec3 col = uFloor + 0.9 * uMajor * majorGrid + 0.35 * uLine * minorGrid;
        return mix(col, 0.6 * uSkyBot, clamp(d / 140.0, 0.0, 1.0));
    }
    float farR = ridge(az, 1.0, 0.040, 0.050);
    float nearR = ridge(az + 2.1, 1.7, 0.032, 0.022);
    float slopeF = ridge(az + 0.01, 1.0, 0.040, 0.050) - farR;
    float slopeN = ridge(az + 2.11, 1.7, 0.032, 0.022) - nearR;
    if (el > farR) return skyColour(dir, sun, false);
    if (el > max(nearR, 0.0)) {
        vec3 c = uFloor * clamp(0.95 + 9.0 * slopeF, 0.72, 1.12) * (0.95 + 0.08 * fbm(vec3(20.0 * az, 200.0 * el, 3.0)));
        return mix(c, haze, 0.42 + 0.2 * smoothstep(farR - 0.008, farR, el));
    }
    if (el > 0.0) {
        vec3 c = uFloor * clamp(0.95 + 10.0 * slopeN, 0.66, 1.15) * (0.92 + 0.12 * fbm(vec3(30.0 * az, 300.0 * el, 0.0)));
        return mix(c, haze, 0.18 + 0.12 * smoothstep(0.0, nearR, el));
    }
    vec2 w = g.xz;
    float rip = sin(8.0 * dot(w, vec2(0.93, 0.36)) + 7.0 * fbm(vec3(0.4 * w, 0.0)));
    float fade = exp(-0.06 * d);
    vec3 c = uFloor * (1.0 + 0.035 * rip * fade) * (0.94 + 0.09 * fbm(vec3(3.0 * w, 1.0)) * fade)
           * (0.97 + 0.06 * smoothstep(0.0, 0.3, -el));
    return mix(c, haze, 1.0 - exp(-d / 70.0));
}

void main() {
    vec3 n = normalize(vNormal);
    vec3 dir = normalize(vPos);
    if (uSky > 0.5) {
        fragColor = vec4(outdoor(dir) * (1.0 - 0.55 * uDim), 1.0);
        return;
    }
    vec2 c;
    vec3 base;
    float e;
    if (abs(n.y) > 0.5) {
        c = vPos.xz;
        base = n.y > 0.0 ? uFloor : uCeil;
        e = min(24.0 - abs(vPos.x), 20.0 - abs(vPos.z));
    } else if (abs(n.x) > 0.5) {
        c = vPos.zy;
        base = 0.92 * uWall;
        e = min(20.0 - abs(vPos.z), min(vPos.y + 7.0, 13.0 - vPos.y));
    } else {
        c = vPos.xy;
        base = uWall;
        e = min(24.0 - abs(vPos.x), min(vPos.y + 7.0, 13.0 - vPos.y));
    }
    vec3 col = mix(base, uLine, 0.55 * grid(c, uMinorS, 1.0));
    col = mix(col, uMajor, 0.65 * grid(c, uMajorS, 1.6));
    col *= 0.88 + 0.22 * clamp((vPos.y + 7.0) / 20.0, 0.0, 1.0);
    col *= mix(0.78, 1.0, smoothstep(0.0, 4.5, e));
    if (abs(n.y) < 0.5) col += uTrim * 0.32 * exp(-5.0 * abs(vPos.y + 6.4));
    if (n.z > 0.5) {
        vec2 q = vPos.xy - vec2(0.0, 2.0);
        col *= 1.0 + 0.28 * exp(-dot(q, q) / 160.0);
    }
    col *= mix(1.0, 0.85, clamp((length(vPos) - 12.0) / 30.0, 0.0, 1.0));
    fragColor = vec4(col * (1.0 - 0.55 * uDim), 1.0);
}
)";

const char* const kSphereVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
uniform mat4 uViewProj;
uniform vec4 uSphere;
out vec3 vN;
out vec3 vW;
void main() {
    vN = aPos;
    vW = uSphere.xyz + aPos * uSphere.w;
    gl_Position = uViewProj * vec4(vW, 1.0);
}
)";

const char* const kSphereFragmentShader = R"(#version 330 core
uniform vec3 uColor;
uniform float uGlow, uAlpha, uDim;
in vec3 vN;
in vec3 vW;
out vec4 fragColor;
void main() {
    vec3 N = normalize(vN);
    vec3 V = normalize(-vW);
    vec3 L = normalize(vec3(0.35, 0.85, 0.40));
    float diff = max(dot(N, L), 0.0);
    float specular = pow(max(dot(N, normalize(L + V)), 0.0), 48.0);
    float rim = pow(1.0 - max(dot(N, V), 0.0), 2.5);
    float bounce = clamp(-N.y, 0.0, 1.0);
    vec3 col = uColor * (0.30 + 0.74 * diff + 0.12 * bounce) + 0.6 * specular + 0.65 * rim * uColor;
    col = mix(col, 1.35 * uColor + 0.6 * rim * uColor + 0.06, 0.7 * uGlow);
    fragColor = vec4(col * (1.0 - 0.55 * uDim), uAlpha);
}
)";

const char* const kGunVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec3 aCol;
layout(location = 3) in float aMat;
layout(location = 4) in vec3 aBary;
layout(location = 5) in vec3 aEdge;
uniform mat4 uProj;
uniform mat4 uModel;
out vec3 vObj;
out vec3 vON;
out vec3 vCol;
out float vMat;
out vec3 vBary;
flat out vec3 vEdge;
out vec3 vV;
out vec3 vN;
void main() {
    vObj = aPos;
    vON = aNormal;
    vCol = aCol;
    vMat = aMat;
    vBary = aBary;
    vEdge = aEdge;
    vec4 view = uModel * vec4(aPos, 1.0);
    vV = view.xyz;
    vN = mat3(uModel) * aNormal;
    gl_Position = uProj * view;
}
)";

const char* const kGunFragmentShader = "#version 330 core\n" TARVION_GLSL_NOISE R"(
uniform vec3 uC1, uC2, uC3, uC4, uEnvTop, uEnvBot;
uniform float uPattern, uDim, uTime;
in vec3 vObj;
in vec3 vON;
in vec3 vCol;
in float vMat;
in vec3 vBary;
flat in vec3 vEdge;
in vec3 vV;
in vec3 vN;
out vec4 fragColor;

float fbm(vec3 p) {
    return 0.55 * noise3(p) + 0.28 * noise3(2.03 * p + 11.0) + 0.17 * noise3(4.1 * p + 23.0);
}

vec2 planar(vec3 p, vec3 n) {
    vec3 a = abs(n);
    if (a.x >= a.y && a.x >= a.z) return p.zy;
    if (a.y > a.z) return p.xz;
    return p.xy;
}

// A falling edge: 1 at x = 0, 0 from x = e on.
float fall(float e, float x) { return 1.0 - smoothstep(0.0, e, x); }

vec3 skin(int pat, vec3 p, vec3 n, inout float rough, inout float metal, inout float emission) {
    rough = 0.62;
    metal = 0.0;
    emission = 0.0;
    if (pat == 1) {
        rough = 0.75;
        return uC1;
    }
    if (pat == 2) {
        vec3 q = 13.0 * p;
        float j = 0.06 * (noise3(140.0 * p) - 0.5);
        vec3 c = uC1;
        if (fbm(q) + j > 0.50) c = uC2;
        if (fbm(1.35 * q + 31.0) + j > 0.58) c = uC3;
        if (fbm(1.9 * q + 57.0) + j > 0.64) c = uC4;
        rough = 0.8;
        return c * (0.95 + 0.1 * noise3(300.0 * p));
    }
    if (pat == 3) {
        vec3 q = 13.0 * (floor(120.0 * p) + 0.5) / 120.0;
        vec3 c = uC1;
        if (fbm(q) > 0.50) c = uC2;
        if (fbm(1.4 * q + 31.0) > 0.57) c = uC3;
        if (fbm(2.0 * q + 57.0) > 0.63) c = uC4;
        rough = 0.78;
        return c;
    }
    if (pat == 4) {
        float w = 5.0 * fbm(9.0 * p);
        rough = 0.75;
        if (sin(70.0 * p.z + 2.6 * w + 18.0 * p.y) > 0.45) return uC2;
        return mix(uC1, uC3, smoothstep(0.35, 0.75, fbm(6.0 * p + 4.0)));
    }
    if (pat == 5) {
        vec3 q = 10.0 * p;
        vec3 c = mix(uC1, uC2, smoothstep(0.42, 0.58, fbm(q)));
        c = mix(c, uC3, smoothstep(0.55, 0.68, fbm(1.3 * q + 9.0)));
        c = mix(c, uC4, smoothstep(0.62, 0.70, fbm(3.5 * q + 21.0)));
        rough = 0.8;
        return c;
    }
    if (pat == 6) {
        vec2 g = fract(90.0 * planar(p, n));
        float w = step(0.5, g.x) == step(0.5, g.y) ? 1.0 : 0.0;
        rough = 0.35;
        return mix(uC1, uC2, 0.55 * w + 0.15 * g.x);
    }
    if (pat == 7) {
        vec2 uv = 40.0 * planar(p, n);
        float line = fall(0.05, abs(fract(0.22 * uv.x + 0.08 * uv.y) - 0.5));
        float line2 = 0.6 * fall(0.03, abs(fract(0.3 * uv.y) - 0.5));
        emission = (line + line2) * (0.75 + 0.25 * sin(3.0 * uTime + 0.1 * uv.x));
        rough = 0.4;
        return mix(mix(uC1, uC3, line2), uC2, line);
    }
    if (pat == 8) {
        metal = 1.0;
        rough = 0.18;
        return mix(uC1, uC2, 0.5 * fbm(20.0 * p));
    }
    if (pat == 9) {
        vec3 nebula = mix(uC1, uC2, smoothstep(0.3, 0.75, fbm(8.0 * p)));
        float h = hash3(floor(260.0 * p));
        float star = step(0.985, h);
        emission = star * (0.6 + 0.4 * sin(4.0 * uTime + 30.0 * h));
        rough = 0.3;
        return nebula + uC3 * star;
    }
    if (pat == 10) {
        vec2 q = 28.0 * planar(p, n);
        q.x *= 1.1547;
        q.y += 0.5 * mod(floor(q.x), 2.0);
        vec2 f = abs(fract(q) - 0.5);
        rough = 0.45;
        return mix(uC1, uC2, smoothstep(0.40, 0.47, max(1.15 * f.x, f.y)));
    }
    if (pat == 11) {
        rough = 0.4;
        return mix(uC1, uC2, smoothstep(-0.3, 0.3, 1.6 * p.z + 3.0 * p.y));
    }
    return vCol;
}

void main() {
    vec3 N = normalize(vN);
    vec3 V = normalize(-vV);
    int mat = int(round(vMat));
    int pat = int(round(uPattern));
    float rough = 0.6, metal = 0.0, emission = 0.0;
    vec3 base;
    if (mat == 3) {
        base = vec3(0.02, 0.04, 0.06);
        rough = 0.05;
    } else if (mat == 1) {
        base = pat == 8 ? 0.9 * uC2 : 1.15 * vCol + 0.03;
        metal = 0.85;
        rough = pat == 8 ? 0.15 : 0.38;
    } else if (pat == 0) {
        base = 1.1 * vCol + 0.02;
        rough = vCol.r > 1.3 * vCol.b ? 0.7 : 0.55;  // wood or polymer
    } else {
        base = skin(pat, vObj, normalize(vON), rough, metal, emission);
    }

    float g = fbm(60.0 * vObj);
    base *= 0.9 + 0.2 * g;
    rough = clamp(rough + 0.15 * (g - 0.5), 0.05, 1.0);

    vec3 ed = vBary / max(fwidth(vBary), vec3(1e-5));
    float dEdge = 1e4;
    if (vEdge.x > 0.5) dEdge = min(dEdge, ed.x);
    if (vEdge.y > 0.5) dEdge = min(dEdge, ed.y);
    if (vEdge.z > 0.5) dEdge = min(dEdge, ed.z);
    float bevel = 1.0 - smoothstep(0.0, 1.6, dEdge);
    float band = 1.0 - smoothstep(0.0, 4.0 + 6.0 * noise3(90.0 * vObj), dEdge);
    if (mat == 0 && pat != 0 && pat != 8) {
        float wear = band * smoothstep(0.35, 0.65, noise3(70.0 * vObj));
        base = mix(base, vec3(0.42, 0.43, 0.45), wear);
        metal = mix(metal, 0.9, wear);
        rough = mix(rough, 0.35, wear);
    }

    vec3 L1 = normalize(vec3(0.45, 0.85, 0.35));
    vec3 L2 = normalize(vec3(-0.6, 0.25, 0.55));
    float nl1 = max(dot(N, L1), 0.0);
    float nl2 = max(dot(N, L2), 0.0);
    float nv = max(dot(N, V), 0.0);
    vec3 ambient = mix(uEnvBot, uEnvTop, 0.5 * N.y + 0.5);
    vec3 F0 = mix(vec3(0.04), base, metal);
    vec3 F = F0 + (1.0 - F0) * pow(1.0 - nv, 5.0);
    float shininess = mix(600.0, 6.0, rough);
    float specular = pow(max(dot(N, normalize(L1 + V)), 0.0), shininess) * (shininess + 8.0) / 25.0;
    vec3 R = reflect(-V, N);
    vec3 env = 1.1 * mix(uEnvBot, uEnvTop, smoothstep(-0.4, 0.7, R.y))
             + 1.8 * (1.0 - rough) * smoothstep(0.65, 0.95, dot(R, normalize(vec3(0.3, 0.9, 0.3))))
             + vec3(0.9, 0.95, 1.0) * 0.8 * (1.0 - rough) * smoothstep(0.75, 0.98, dot(R, normalize(vec3(-0.8, 0.2, 0.4))));
    vec3 col = base * (1.0 - metal) * (0.75 * ambient + 1.25 * nl1 * vec3(1.0, 0.97, 0.92) + 0.45 * nl2 * vec3(0.75, 0.82, 1.0))
             + 0.8 * F * specular * nl1 + F * env * mix(1.6, 0.15, rough) + 1.5 * base * emission
             + vec3(0.9, 0.92, 0.95) * bevel * (0.10 + 0.25 * nl1) * (mat == 3 ? 0.3 : 1.0);
    col = col / (1.0 + 0.25 * col);
    fragColor = vec4(col * (1.0 - 0.55 * uDim), 1.0);
}
)";
