#include <cmath>
#include <cstddef>
#include <numbers>

#include "core/catalog/angles.h"
#include "core/catalog/armory.h"
#include "engine/kernel/debris.h"
#include "engine/kernel/drill_round.h"
#include "render/gl_api.h"
#include "render/renderer.h"
#include "render/scene_math.h"
#include "render/shaders.h"

namespace {

Mat4 rotationX(double degrees) {
    Mat4 r = mat4Identity();
    float c = float(std::cos(degrees * kDegToRad)), s = float(std::sin(degrees * kDegToRad));
    r.at(1, 1) = c;
    r.at(1, 2) = s;
    r.at(2, 1) = -s;
    r.at(2, 2) = c;
    return r;
}

Mat4 rotationY(double degrees) {
    Mat4 r = mat4Identity();
    float c = float(std::cos(degrees * kDegToRad)), s = float(std::sin(degrees * kDegToRad));
    r.at(0, 0) = c;
    r.at(0, 2) = -s;
    r.at(2, 0) = s;
    r.at(2, 2) = c;
    return r;
}

Mat4 rotationZ(double degrees) {
    Mat4 r = mat4Identity();
    float c = float(std::cos(degrees * kDegToRad)), s = float(std::sin(degrees * kDegToRad));
    r.at(0, 0) = c;
    r.at(0, 1) = s;
    r.at(1, 0) = -s;
    r.at(1, 1) = c;
    return r;
}

Mat4 translation(double x, double y, double z) {
    Mat4 t = mat4Identity();
    t.at(3, 0) = float(x);
    t.at(3, 1) = float(y);
    t.at(3, 2) = float(z);
    return t;
}

// Uniforms are looked up by name at each use: a handful per frame, no cache to go stale.
void setMat4(GLuint program, const char* name, const Mat4& m) {
    gl::UniformMatrix4fv(gl::GetUniformLocation(program, name), 1, GL_FALSE, m.m);
}
void setFloat(GLuint program, const char* name, float v) { gl::Uniform1f(gl::GetUniformLocation(program, name), v); }
void setVec3(GLuint program, const char* name, const float v[3]) {
    gl::Uniform3f(gl::GetUniformLocation(program, name), v[0], v[1], v[2]);
}
void setVec3(GLuint program, const char* name, float x, float y, float z) {
    gl::Uniform3f(gl::GetUniformLocation(program, name), x, y, z);
}
void setVec4(GLuint program, const char* name, float x, float y, float z, float w) {
    gl::Uniform4f(gl::GetUniformLocation(program, name), x, y, z, w);
}

const MapInfo& mapOf(const SceneView& view) { return view.map ? *view.map : mapCatalog()[0]; }
const SkinInfo& skinOf(const SceneView& view) { return view.skin ? *view.skin : skinCatalog()[0]; }

void buildRoomMesh(Renderer& r) {
    // The inside of the box (-24, -7, -20)..(24, 13, 20); normals point into the room.
    const float x0 = -24, x1 = 24, y0 = -7, y1 = 13, z0 = -20, z1 = 20;
    struct Face {
        float corner[4][3];
        float normal[3];
    };
    const Face faces[6] = {
        {{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, {0, 1, 0}},   // floor
        {{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}, {0, -1, 0}},  // ceiling
        {{{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}, {1, 0, 0}},   // left wall
        {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}, {-1, 0, 0}},  // right wall
        {{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}, {0, 0, 1}},   // front wall
        {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, {0, 0, -1}},  // back wall
    };
    std::vector<float> v;
    for (const Face& f : faces)
        for (int k : {0, 1, 2, 0, 2, 3}) {
            v.insert(v.end(), f.corner[k], f.corner[k] + 3);
            v.insert(v.end(), f.normal, f.normal + 3);
        }
    r.roomVertexCount = int32_t(v.size() / 6);
    gl::GenVertexArrays(1, &r.roomVertexArray);
    gl::BindVertexArray(r.roomVertexArray);
    gl::GenBuffers(1, &r.roomVertexBuffer);
    gl::BindBuffer(GL_ARRAY_BUFFER, r.roomVertexBuffer);
    gl::BufferData(GL_ARRAY_BUFFER, std::ptrdiff_t(v.size() * sizeof(float)), v.data(), GL_STATIC_DRAW);
    gl::VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<const void*>(0));
    gl::EnableVertexAttribArray(0);
    gl::VertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<const void*>(12));
    gl::EnableVertexAttribArray(1);
}

void buildSphereMesh(Renderer& r) {
    const int rings = 25, points = 41;
    constexpr double pi = std::numbers::pi;
    std::vector<float> v;
    for (int j = 0; j < rings; ++j)
        for (int k = 0; k < points; ++k) {
            double theta = j * pi / 24, phi = k * 2 * pi / 40;
            v.push_back(float(std::cos(phi) * std::sin(theta)));
            v.push_back(float(std::cos(theta)));
            v.push_back(float(std::sin(phi) * std::sin(theta)));
        }
    std::vector<uint32_t> idx;
    for (uint32_t ring = 0; ring < 24; ++ring)
        for (uint32_t k = 0; k < 40; ++k) {
            uint32_t i = 41 * ring + k;
            idx.insert(idx.end(), {i, i + 41, i + 1, i + 1, i + 41, i + 42});
        }
    r.sphereIndexCount = int32_t(idx.size());
    gl::GenVertexArrays(1, &r.sphereVertexArray);
    gl::BindVertexArray(r.sphereVertexArray);
    gl::GenBuffers(1, &r.sphereVertexBuffer);
    gl::BindBuffer(GL_ARRAY_BUFFER, r.sphereVertexBuffer);
    gl::BufferData(GL_ARRAY_BUFFER, std::ptrdiff_t(v.size() * sizeof(float)), v.data(), GL_STATIC_DRAW);
    gl::VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 12, reinterpret_cast<const void*>(0));
    gl::EnableVertexAttribArray(0);
    gl::GenBuffers(1, &r.sphereIndexBuffer);
    gl::BindBuffer(GL_ELEMENT_ARRAY_BUFFER, r.sphereIndexBuffer);  // recorded in the vertex array
    gl::BufferData(GL_ELEMENT_ARRAY_BUFFER, std::ptrdiff_t(idx.size() * sizeof(uint32_t)), idx.data(),
                   GL_STATIC_DRAW);
}

void drawSphere(const Renderer& r) {
    glDrawElements(GL_TRIANGLES, r.sphereIndexCount, GL_UNSIGNED_INT, nullptr);
}

}  // namespace

Mat4 mat4Identity() {
    Mat4 m;
    m.at(0, 0) = m.at(1, 1) = m.at(2, 2) = m.at(3, 3) = 1;
    return m;
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 out;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a.at(k, row) * b.at(c, k);
            out.at(c, row) = s;
        }
    return out;
}

void mat4Point(const Mat4& a, const float in[3], float out[3]) {
    for (int row = 0; row < 3; ++row)
        out[row] = a.at(0, row) * in[0] + a.at(1, row) * in[1] + a.at(2, row) * in[2] + a.at(3, row);
}

Mat4 worldViewProj(const SceneView& view) {
    const double aspect = double(view.width) / double(view.height);
    const double f = 1.0 / std::tan(view.fov * kDegToRad / 2);
    Mat4 p;
    p.at(0, 0) = float(f);
    p.at(1, 1) = float(f * aspect);
    p.at(2, 2) = -1.0005f;
    p.at(2, 3) = -1;
    p.at(3, 2) = -0.10002f;

    const double yaw = view.yaw * kDegToRad, pitch = view.pitch * kDegToRad;
    const double fw[3] = {std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
    // right = forward x (0, 1, 0)
    double rt[3] = {-fw[2], 0, fw[0]};
    double len = std::sqrt(rt[0] * rt[0] + rt[2] * rt[2]);
    if (len < 1e-9) {
        rt[0] = 1, rt[1] = 0, rt[2] = 0;
    } else {
        rt[0] /= len, rt[2] /= len;
    }
    const double up[3] = {rt[1] * fw[2] - rt[2] * fw[1], rt[2] * fw[0] - rt[0] * fw[2], rt[0] * fw[1] - rt[1] * fw[0]};
    Mat4 v = mat4Identity();
    for (int i = 0; i < 3; ++i) {
        v.at(i, 0) = float(rt[i]);
        v.at(i, 1) = float(up[i]);
        v.at(i, 2) = float(-fw[i]);
    }
    return p * v;
}

Mat4 gunProjection(double verticalFovDegrees, double aspect) {
    const double n = 0.01, fa = 20.0;
    const double f = 1.0 / std::tan(verticalFovDegrees * kDegToRad / 2);
    Mat4 p;
    p.at(0, 0) = float(f / aspect);
    p.at(1, 1) = float(f);
    p.at(2, 2) = float((fa + n) / (n - fa));
    p.at(2, 3) = -1;
    p.at(3, 2) = float(2 * fa * n / (n - fa));
    return p;
}

Mat4 gunModelMatrix(const SceneView& view, const GunModel& model) {
    const double L = model.length;
    if (view.armoryPreview) {
        const double d = (0.3 + L) * view.previewScale;
        const double yaw =
            view.previewYaw >= 0 ? view.previewYaw : 90 + 28 * std::sin(0.0349 * double(view.previewSpin));
        return translation(view.previewOffsetX * d, view.previewOffsetY * d, -1.25 * d) * rotationX(6) *
               rotationY(yaw);
    }
    const double z = view.zoom, w = (3 - 2 * z) * z * z;
    const bool isLong = L >= 0.35;
    const double side = isLong ? 0.165 : 0.13, low = isLong ? -0.155 : -0.095;
    const double H = std::fmax(isLong ? 0.38 : 0.34, 0.32 * L + 0.12);
    const double x = side * (1 - w) + view.gunSway[0];
    const double y = low * (1 - w) - model.sightHeight * w + view.gunSway[1];
    const double zz = -H * (1 - w) - 0.3 * L * w + view.gunKick[0];
    return translation(x, y, zz) * rotationY((1 - w) * 5 + view.gunYaw) * rotationX(view.gunKick[1]) *
           rotationZ(view.gunRoll);
}

bool initRenderer(Renderer& r) {
    r.worldProgram = linkProgram(kWorldVertexShader, kWorldFragmentShader);
    r.sphereProgram = linkProgram(kSphereVertexShader, kSphereFragmentShader);
    r.gunProgram = linkProgram(kGunVertexShader, kGunFragmentShader);
    loadModelPack(r);
    buildRoomMesh(r);
    buildSphereMesh(r);
    gl::BindVertexArray(0);
    gl::BindBuffer(GL_ARRAY_BUFFER, 0);
    return r.worldProgram && r.sphereProgram && r.gunProgram;
}

void drawScene(Renderer& r, const SceneView& view) {
    if (view.width < 1 || view.height < 1) return;
    gl::BindFramebuffer(GL_FRAMEBUFFER, r.msaa.framebuffer);
    glViewport(0, 0, view.width, view.height);
    glClearColor(0.12f, 0.13f, 0.15f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);

    const Mat4 viewProj = worldViewProj(view);
    const MapInfo& map = mapOf(view);

    // Room or open-air sky.
    GLuint p = r.worldProgram;
    gl::UseProgram(p);
    setMat4(p, "uViewProj", viewProj);
    setFloat(p, "uDim", view.dim);
    setVec3(p, "uWall", map.roomColors[0]);
    setVec3(p, "uFloor", map.roomColors[1]);
    setVec3(p, "uCeil", map.roomColors[2]);
    setVec3(p, "uLine", map.roomColors[3]);
    setVec3(p, "uMajor", map.roomColors[4]);
    setVec3(p, "uTrim", map.roomColors[5]);
    setFloat(p, "uSky", float(map.sky));
    setVec3(p, "uSkyTop", map.skyColors[0]);
    setVec3(p, "uSkyBot", map.skyColors[1]);
    setVec3(p, "uSun", map.skyColors[2]);
    setFloat(p, "uMinorS", map.minorScale);
    setFloat(p, "uMajorS", map.majorScale);
    setFloat(p, "uTime", view.time);
    gl::BindVertexArray(r.roomVertexArray);
    glDrawArrays(GL_TRIANGLES, 0, r.roomVertexCount);

    // Targets and the orb.
    p = r.sphereProgram;
    gl::UseProgram(p);
    setMat4(p, "uViewProj", viewProj);
    setFloat(p, "uDim", view.dim);
    gl::BindVertexArray(r.sphereVertexArray);
    if (view.spheres) {
        for (const RenderSphere& s : *view.spheres) {
            setVec4(p, "uSphere", s.x, s.y, s.z, s.radius);
            setVec3(p, "uColor", s.kind == 1 ? view.orbColor : view.targetColor);
            setFloat(p, "uGlow", s.lit);
            setFloat(p, "uAlpha", 1);
            drawSphere(r);
        }
    }

    // Hit debris fades and shrinks over its life.
    if (view.debris && !view.debris->empty()) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        for (const Debris& d : *view.debris) {
            const float f = d.lifeSpan != 0 ? d.life / d.lifeSpan : 0.0f;
            const float radius = f < 0 ? d.size * 0.4f : d.size * (0.4f + 0.6f * std::fmin(f, 1.0f));
            setVec4(p, "uSphere", d.pos[0], d.pos[1], d.pos[2], radius);
            setVec3(p, "uColor", d.color);
            setFloat(p, "uGlow", 0.6f);
            setFloat(p, "uAlpha", f < 0 ? 0.0f : std::fmin(f, 1.0f));
            drawSphere(r);
        }
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }

    // The first-person gun leaves once the scope is mostly up; the preview always shows.
    if (view.gunIndex >= 0 && size_t(view.gunIndex) < r.models.size() && (view.armoryPreview || view.zoom < 0.7f))
        drawTargetsAndGun(r, view, view.width, view.height);

    gl::BindVertexArray(0);
    gl::UseProgram(0);
    glDisable(GL_DEPTH_TEST);

    if (r.msaa.framebuffer) {
        gl::BindFramebuffer(GL_READ_FRAMEBUFFER, r.msaa.framebuffer);
        gl::BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        gl::BlitFramebuffer(0, 0, view.width, view.height, 0, 0, view.width, view.height, GL_COLOR_BUFFER_BIT,
                            GL_NEAREST);
        gl::BindFramebuffer(GL_FRAMEBUFFER, 0);
    }
}

void drawTargetsAndGun(Renderer& r, const SceneView& view, int width, int height) {
    if (view.gunIndex < 0 || size_t(view.gunIndex) >= r.models.size() || width < 1 || height < 1) return;
    const GunModel& model = r.models[size_t(view.gunIndex)];
    glClear(GL_DEPTH_BUFFER_BIT);  // the gun always draws over the world

    const Mat4 proj = gunProjection(view.armoryPreview ? 34.0 : 54.0, double(width) / double(height));
    const Mat4 modelMatrix = gunModelMatrix(view, model);
    const MapInfo& map = mapOf(view);
    const SkinInfo& skin = skinOf(view);

    GLuint p = r.gunProgram;
    gl::UseProgram(p);
    setMat4(p, "uProj", proj);
    setMat4(p, "uModel", modelMatrix);
    setVec3(p, "uC1", skin.colors[0]);
    setVec3(p, "uC2", skin.colors[1]);
    setVec3(p, "uC3", skin.colors[2]);
    setVec3(p, "uC4", skin.colors[3]);
    setFloat(p, "uPattern", float(skin.pattern));
    if (map.sky != 0) {
        setVec3(p, "uEnvTop", map.skyColors[0]);
    } else {
        setVec3(p, "uEnvTop", 1.4f * map.roomColors[0][0], 1.4f * map.roomColors[0][1], 1.4f * map.roomColors[0][2]);
    }
    setVec3(p, "uEnvBot", 0.8f * map.roomColors[1][0], 0.8f * map.roomColors[1][1], 0.8f * map.roomColors[1][2]);
    setFloat(p, "uDim", view.armoryPreview ? 0.0f : view.dim);
    setFloat(p, "uTime", view.time);
    gl::BindVertexArray(model.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, model.vertexCount);

    const float e = view.muzzleFlash;
    if (view.armoryPreview || e <= 0.01f) return;
    const float muzzle[3] = {model.muzzleX, model.muzzleY, model.muzzleZ - 0.01f};
    float centre[3];
    mat4Point(modelMatrix, muzzle, centre);
    const float s = model.length > 0.9f ? 1.6f : model.length < 0.35f ? 0.8f : 1.0f;

    p = r.sphereProgram;
    gl::UseProgram(p);
    setMat4(p, "uViewProj", proj);
    setFloat(p, "uDim", 0);
    setFloat(p, "uGlow", 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    gl::BindVertexArray(r.sphereVertexArray);
    setVec4(p, "uSphere", centre[0], centre[1], centre[2], 0.016f * (0.5f + e) * s);
    setVec3(p, "uColor", 1.0f, 0.45f, 0.08f);
    setFloat(p, "uAlpha", 0.45f * e);
    drawSphere(r);
    setVec4(p, "uSphere", centre[0], centre[1], centre[2], 0.006f * (0.5f + e) * s);
    setVec3(p, "uColor", 1.0f, 0.85f, 0.45f);
    setFloat(p, "uAlpha", 0.8f * e);
    drawSphere(r);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

bool saveFrameBmp(Renderer&, const char* path, int width, int height) { return saveFrameBmp(path, width, height); }
