// Builds the first-person gun models from a small kit of solids (boxes, bevelled side
// profiles, lathed parts, lens discs) and writes them as the model pack.
//
// The output must be the same bytes on every build: only +, -, *, / and sqrt are used on
// the geometry (our own sine and cosine below), so no libm rounding differences creep in.
//
//   make_model_pack <output file>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

// Sine and cosine from a fixed polynomial after reduction to [-pi/4, pi/4].
double polySin(double x) {
    double x2 = x * x, term = x, sum = x;
    for (int k = 1; k <= 8; ++k) {
        term *= -x2 / double((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}
double polyCos(double x) {
    double x2 = x * x, term = 1, sum = 1;
    for (int k = 1; k <= 8; ++k) {
        term *= -x2 / double((2 * k - 1) * (2 * k));
        sum += term;
    }
    return sum;
}
void sinCos(double a, double* s, double* c) {
    double turns = a / (2 * std::numbers::pi);
    double t = turns - std::floor(turns);  // 0..1
    int oct = int(t * 8.0);
    if (oct > 7) oct = 7;
    // Quarter turns: q in 0..3, r in [-pi/4, pi/4] around q * pi/2.
    int q = ((oct + 1) / 2) % 4;
    double r = (t - q * 0.25) * 2 * std::numbers::pi;
    double sr = polySin(r), cr = polyCos(r);
    switch (q) {
        case 0: *s = sr; *c = cr; break;
        case 1: *s = cr; *c = -sr; break;
        case 2: *s = -sr; *c = -cr; break;
        default: *s = -cr; *c = sr; break;
    }
}

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 normalized(V3 a) {
    double l = std::sqrt(dot(a, a));
    return l > 1e-12 ? a * (1.0 / l) : V3{0, 1, 0};
}

struct P2 {
    double u = 0, v = 0;  // in side profiles: u = z, v = y
};

enum Material { Paint = 0, Metal = 1, Glass = 3 };

struct Colour {
    double r, g, b;
};

// Factory finishes.
constexpr Colour kPolymer{0.115, 0.12, 0.13};
constexpr Colour kPolymerGrey{0.2, 0.21, 0.22};
constexpr Colour kOlive{0.27, 0.29, 0.22};
constexpr Colour kTan{0.46, 0.4, 0.3};
constexpr Colour kWood{0.42, 0.23, 0.11};
constexpr Colour kWoodDark{0.3, 0.16, 0.08};
constexpr Colour kSteel{0.24, 0.25, 0.27};
constexpr Colour kBlued{0.13, 0.135, 0.15};
constexpr Colour kBore{0.03, 0.03, 0.035};
constexpr Colour kRubber{0.06, 0.06, 0.065};
constexpr Colour kBrass{0.62, 0.48, 0.2};

struct Vertex {
    float f[16];
};

struct Mesh {
    std::vector<Vertex> v;
    int triangles() const { return int(v.size() / 3); }

    // One triangle; e0..e2 flag the edges opposite corners a, b, c as feature edges.
    void tri(V3 a, V3 b, V3 c, V3 na, V3 nb, V3 nc, Colour col, Material mat, bool e0, bool e1, bool e2) {
        const V3 p[3] = {a, b, c};
        const V3 n[3] = {na, nb, nc};
        for (int k = 0; k < 3; ++k) {
            Vertex out{};
            out.f[0] = float(p[k].x);
            out.f[1] = float(p[k].y);
            out.f[2] = float(p[k].z);
            V3 nn = normalized(n[k]);
            out.f[3] = float(nn.x);
            out.f[4] = float(nn.y);
            out.f[5] = float(nn.z);
            out.f[6] = float(col.r);
            out.f[7] = float(col.g);
            out.f[8] = float(col.b);
            out.f[9] = float(int(mat));
            out.f[10 + k] = 1.0f;
            out.f[13] = e0 ? 1.0f : 0.0f;
            out.f[14] = e1 ? 1.0f : 0.0f;
            out.f[15] = e2 ? 1.0f : 0.0f;
            v.push_back(out);
        }
    }
    // Flat quad a-b-c-d (in order around its outline); the diagonal a-c is no feature edge.
    void quad(V3 a, V3 b, V3 c, V3 d, V3 n, Colour col, Material mat) {
        tri(a, b, c, n, n, n, col, mat, true, false, true);
        tri(a, c, d, n, n, n, col, mat, true, true, false);
    }

    // Axis-aligned box.
    void box(V3 lo, V3 hi, Colour col, Material mat) {
        V3 p[8];
        for (int i = 0; i < 8; ++i) p[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        quad(p[1], p[3], p[7], p[5], {1, 0, 0}, col, mat);
        quad(p[0], p[4], p[6], p[2], {-1, 0, 0}, col, mat);
        quad(p[2], p[6], p[7], p[3], {0, 1, 0}, col, mat);
        quad(p[0], p[1], p[5], p[4], {0, -1, 0}, col, mat);
        quad(p[4], p[5], p[7], p[6], {0, 0, 1}, col, mat);
        quad(p[0], p[2], p[3], p[1], {0, 0, -1}, col, mat);
    }
    void boxC(double x0, double x1, double y0, double y1, double z0, double z1, Colour col, Material mat) {
        box({x0, y0, z0}, {x1, y1, z1}, col, mat);
    }

    // Side profile (u = z, v = y) extruded over x in [cx - w, cx + w], with a chamfer of
    // width b on both outline edges. Caps are ear-clipped, so the outline may be concave.
    void profile(std::vector<P2> pts, double cx, double w, double b, Colour col, Material mat);

    // Solid of revolution around an axis: `prof` holds (t along the axis, radius) pairs.
    // Each step of the profile is one band; a radius of 0 closes the band to a point.
    // Winding of the profile: the material lies on the left when walking it with t to the
    // right and the radius upwards (so a closed rod runs (t0,0), (t0,r), (t1,r), (t1,0)).
    void lathe(V3 origin, V3 axis, V3 u, const std::vector<P2>& prof, int segments, Colour col, Material mat,
               double phase = 0);
    // Lathe along z through (x, y).
    void latheZ(double x, double y, const std::vector<P2>& prof, int segments, Colour col, Material mat,
                double phase = 0) {
        lathe({x, y, 0}, {0, 0, 1}, {1, 0, 0}, prof, segments, col, mat, phase);
    }
    // A flat disc facing `normal` (lens glass, bore shadows).
    void disc(V3 centre, V3 normal, V3 u, double r, int segments, Colour col, Material mat);
};

double area2(const std::vector<P2>& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const P2& s = p[i];
        const P2& t = p[(i + 1) % p.size()];
        a += s.u * t.v - t.u * s.v;
    }
    return a;
}

bool insideTri(P2 p, P2 a, P2 b, P2 c) {
    auto side = [](P2 o, P2 s, P2 t) { return (s.u - o.u) * (t.v - o.v) - (s.v - o.v) * (t.u - o.u); };
    double d1 = side(p, a, b), d2 = side(p, b, c), d3 = side(p, c, a);
    return d1 > 1e-15 && d2 > 1e-15 && d3 > 1e-15;
}

// Ear clipping of a counter-clockwise simple polygon: m - 2 index triples.
std::vector<int> earClip(const std::vector<P2>& p) {
    std::vector<int> idx(p.size());
    for (size_t i = 0; i < p.size(); ++i) idx[i] = int(i);
    std::vector<int> out;
    while (idx.size() > 3) {
        size_t n = idx.size();
        bool clipped = false;
        for (size_t i = 0; i < n && !clipped; ++i) {
            int a = idx[(i + n - 1) % n], b = idx[i], c = idx[(i + 1) % n];
            double cr = (p[b].u - p[a].u) * (p[c].v - p[a].v) - (p[b].v - p[a].v) * (p[c].u - p[a].u);
            if (cr <= 1e-14) continue;
            bool empty = true;
            for (size_t k = 0; k < n && empty; ++k) {
                int q = idx[k];
                if (q == a || q == b || q == c) continue;
                if (insideTri(p[q], p[a], p[b], p[c])) empty = false;
            }
            if (!empty) continue;
            out.insert(out.end(), {a, b, c});
            idx.erase(idx.begin() + long(i));
            clipped = true;
        }
        if (!clipped) {  // degenerate outline: take any corner so the count stays m - 2
            out.insert(out.end(), {idx[n - 1], idx[0], idx[1]});
            idx.erase(idx.begin());
        }
    }
    out.insert(out.end(), {idx[0], idx[1], idx[2]});
    return out;
}

void Mesh::profile(std::vector<P2> pts, double cx, double w, double b, Colour col, Material mat) {
    if (area2(pts) < 0) std::vector<P2>(pts.rbegin(), pts.rend()).swap(pts);
    const size_t m = pts.size();
    // Outward normal of edge i (pts[i] -> pts[i+1]) in the profile plane.
    std::vector<P2> en(m);
    for (size_t i = 0; i < m; ++i) {
        P2 s = pts[i], t = pts[(i + 1) % m];
        double du = t.u - s.u, dv = t.v - s.v, l = std::sqrt(du * du + dv * dv);
        en[i] = {dv / l, -du / l};
    }
    // The cap outline, moved inwards by b along the mitre of each corner.
    std::vector<P2> inset(m);
    for (size_t i = 0; i < m; ++i) {
        P2 n0 = en[(i + m - 1) % m], n1 = en[i];
        double d = 1 + n0.u * n1.u + n0.v * n1.v;
        if (d < 0.35) d = 0.35;
        inset[i] = {pts[i].u - b * (n0.u + n1.u) / d, pts[i].v - b * (n0.v + n1.v) / d};
    }
    auto at = [&](P2 p, double x) { return V3{x, p.v, p.u}; };
    const double xs[2] = {cx - w, cx + w};
    // Side walls.
    for (size_t i = 0; i < m; ++i) {
        size_t j = (i + 1) % m;
        V3 n{0, en[i].v, en[i].u};
        quad(at(pts[i], xs[0] + b), at(pts[j], xs[0] + b), at(pts[j], xs[1] - b), at(pts[i], xs[1] - b), n, col, mat);
    }
    // Chamfers and caps on both sides.
    for (int s = 0; s < 2; ++s) {
        double sign = s ? 1.0 : -1.0;
        double xo = xs[s] - sign * b, xc = xs[s];
        for (size_t i = 0; i < m; ++i) {
            size_t j = (i + 1) % m;
            V3 n = normalized(V3{sign, en[i].v, en[i].u});
            quad(at(pts[i], xo), at(pts[j], xo), at(inset[j], xc), at(inset[i], xc), n, col, mat);
        }
        std::vector<int> t = earClip(inset);
        V3 n{sign, 0, 0};
        for (size_t k = 0; k < t.size(); k += 3) {
            auto boundary = [&](int a, int c) {
                int d = std::abs(a - c);
                return d == 1 || d == int(m) - 1;
            };
            int a = t[k], bb = t[k + 1], c = t[k + 2];
            tri(at(inset[a], xc), at(inset[bb], xc), at(inset[c], xc), n, n, n, col, mat, boundary(bb, c),
                boundary(c, a), boundary(a, bb));
        }
    }
}

void Mesh::lathe(V3 origin, V3 axis, V3 u, const std::vector<P2>& prof, int segments, Colour col, Material mat,
                 double phase) {
    V3 vv = cross(axis, u);
    std::vector<V3> dir(size_t(segments) + 1);
    for (int k = 0; k <= segments; ++k) {
        double s, c;
        sinCos(phase + 2 * std::numbers::pi * double(k % segments) / segments, &s, &c);
        dir[size_t(k)] = u * c + vv * s;
    }
    auto at = [&](P2 p, int k) { return origin + axis * p.u + dir[size_t(k)] * p.v; };
    for (size_t i = 0; i + 1 < prof.size(); ++i) {
        P2 a = prof[i], b = prof[i + 1];
        if (a.v <= 0 && b.v <= 0) continue;
        double dt = b.u - a.u, dr = b.v - a.v;
        double l = std::sqrt(dt * dt + dr * dr);
        double nt = -dr / l, nr = dt / l;
        // Bands steeper than a cap are treated as faceted rings, the rest as smooth.
        for (int k = 0; k < segments; ++k) {
            V3 n0 = axis * nt + dir[size_t(k)] * nr, n1 = axis * nt + dir[size_t(k) + 1] * nr;
            if (a.v <= 0) {
                V3 nc = axis * nt;
                tri(at(a, k), at(b, k), at(b, k + 1), std::abs(nr) < 1e-9 ? nc : n0, n0, n1, col, mat, true, false,
                    false);
            } else if (b.v <= 0) {
                V3 nc = axis * nt;
                tri(at(a, k), at(b, k), at(a, k + 1), n0, std::abs(nr) < 1e-9 ? nc : n0, n1, col, mat, false, true,
                    false);
            } else {
                // a-k, b-k, b-k+1, a-k+1: ring edges are features, lengthwise edges smooth.
                tri(at(a, k), at(b, k), at(b, k + 1), n0, n0, n1, col, mat, true, false, false);
                tri(at(a, k), at(b, k + 1), at(a, k + 1), n0, n1, n1, col, mat, false, true, false);
            }
        }
    }
}

void Mesh::disc(V3 centre, V3 normal, V3 u, double r, int segments, Colour col, Material mat) {
    V3 vv = cross(normal, u);
    std::vector<V3> ring(static_cast<size_t>(segments));
    for (int k = 0; k < segments; ++k) {
        double s, c;
        sinCos(2 * std::numbers::pi * k / segments, &s, &c);
        ring[size_t(k)] = centre + u * (c * r) + vv * (s * r);
    }
    for (int k = 1; k + 1 < segments; ++k)
        tri(ring[0], ring[size_t(k)], ring[size_t(k) + 1], normal, normal, normal, col, mat, true, k + 1 == segments - 1,
            k == 1);
}

// ---- The seven guns ---------------------------------------------------------

struct GunSpec {
    const char* name;
    int vertices;
    double muzzleZ;
    double sightHeight;
    double length;
};

const GunSpec kGuns[7] = {
    {"wasp", 3120, -0.1302, 0.016454, 0.21},       {"bulldog", 3138, -0.1674, 0.012524, 0.27},
    {"hornet", 3492, -0.31, 0.048599, 0.5},        {"halberd", 3768, -0.5332, 0.062389, 0.86},
    {"breacher", 3810, -0.589, 0.029910, 0.95},    {"longbow", 4146, -0.713, 0.040838, 1.15},
    {"kingfisher", 5070, -0.744, 0.051733, 1.2},
};

// Every builder takes three free counts: n, the segments of its main round parts; k, the
// number of a repeated detail (serrations, rail slots, vent posts); j, the segments of one
// small round part. The solver below picks them so the model meets its vertex count exactly.
using Builder = void (*)(Mesh&, const GunSpec&, int n, int k, int j);

// A rod along z (closed both ends).
std::vector<P2> rod(double z0, double z1, double r) { return {{z0, 0}, {z0, r}, {z1, r}, {z1, 0}}; }

// Barrel with a visible bore: from the muzzle at z0 back to z1, outer radius r, bore radius
// rb, with a small chamfer at the crown.
std::vector<P2> barrel(double z0, double z1, double r, double rb) {
    double c = r * 0.18;
    return {{z0 + 0.012, 0}, {z0 + 0.012, rb}, {z0, rb}, {z0, r - c}, {z0 + c, r}, {z1, r}, {z1, 0}};
}

// U-shaped trigger guard under the frame, from zf (front) to zr (rear), hanging from y0
// down to y1.
void triggerGuard(Mesh& m, double zf, double zr, double y0, double y1, double t, double w, Colour col,
                  Material mat) {
    std::vector<P2> outer, inner;
    const int steps = 5;
    const double cz = 0.5 * (zf + zr), rz = 0.5 * (zr - zf), top = y0, depth = y0 - y1;
    // A rounded U: the outer arc from the front round the bottom to the rear, then the
    // inner arc back.
    for (int i = 0; i <= steps; ++i) {
        double s, c;
        sinCos(std::numbers::pi * i / steps, &s, &c);
        outer.push_back({cz - c * rz, top - depth * s});
    }
    for (int i = steps; i >= 0; --i) {
        double s, c;
        sinCos(std::numbers::pi * i / steps, &s, &c);
        inner.push_back({cz - c * (rz - t), top - (depth - t) * s});
    }
    // Close the top above the frame line so the guard meets the frame.
    std::vector<P2> pts;
    pts.push_back({outer.front().u, top + 0.002});
    pts.insert(pts.end(), outer.begin() + 1, outer.end() - 1);
    pts.push_back({outer.back().u, top + 0.002});
    pts.push_back({inner.front().u, top + 0.002});
    pts.insert(pts.end(), inner.begin() + 1, inner.end() - 1);
    pts.push_back({inner.back().u, top + 0.002});
    m.profile(pts, 0, w, std::min(w * 0.3, 0.0008), col, mat);
}

// A curved trigger blade hanging from (z, y).
void trigger(Mesh& m, double z, double y, double h, Colour col) {
    std::vector<P2> p = {{z - 0.002, y + 0.002}, {z + 0.003, y + 0.002}, {z + 0.0025, y - 0.4 * h},
                         {z + 0.0045, y - h},    {z + 0.001, y - h},     {z - 0.0015, y - 0.45 * h}};
    m.profile(p, 0, 0.0028, 0.0007, col, Metal);
}

void buildWasp(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    // Barrel crown in front of the slide.
    m.latheZ(0, 0, barrel(M, M + 0.03, 0.0058, 0.0036), n, kSteel, Metal);
    // Slide.
    const double top = 0.0112, bot = -0.0105;
    m.profile({{M + 0.005, bot}, {M + 0.005, top - 0.0035}, {M + 0.009, top}, {R - 0.017, top},
               {R - 0.0125, top - 0.004}, {R - 0.0125, bot}},
              0, 0.0118, 0.0016, kPolymerGrey, Paint);
    // Ejection port: a dark inset on the right side of the slide.
    m.boxC(0.0105, 0.0121, 0.001, top - 0.0012, M + 0.062, M + 0.092, kBlued, Metal);
    // Frame with the grip, down to the magazine base.
    m.profile({{M + 0.016, bot}, {R - 0.0125, bot}, {R - 0.003, bot - 0.002}, {R, bot - 0.006},
               {R - 0.008, bot - 0.013}, {R - 0.0085, -0.05}, {R - 0.004, -0.085}, {R - 0.0005, -0.108},
               {R - 0.006, -0.114}, {R - 0.036, -0.114}, {R - 0.041, -0.106}, {R - 0.047, -0.07},
               {R - 0.052, -0.036}, {R - 0.056, -0.026}, {M + 0.055, -0.025}, {M + 0.02, -0.021}},
              0, 0.0112, 0.0018, kPolymer, Paint);
    // Grip panels with a stippled texture band.
    m.profile({{R - 0.0105, -0.03}, {R - 0.006, -0.085}, {R - 0.004, -0.1}, {R - 0.036, -0.1}, {R - 0.043, -0.07},
               {R - 0.048, -0.034}},
              0, 0.0125, 0.0012, kPolymer, Paint);
    // Accessory rail under the dust cover.
    m.boxC(-0.0085, 0.0085, -0.027, -0.021, M + 0.018, M + 0.05, kPolymer, Paint);
    triggerGuard(m, R - 0.092, R - 0.052, -0.024, -0.047, 0.004, 0.0065, kPolymer, Paint);
    trigger(m, R - 0.072, -0.025, 0.016, kSteel);
    // Magazine base plate.
    m.boxC(-0.0118, 0.0118, -0.119, -0.113, R - 0.039, R - 0.004, kBlued, Metal);
    // Hammer and slide stop.
    m.profile({{R - 0.0125, -0.006}, {R - 0.006, -0.004}, {R - 0.0045, 0.006}, {R - 0.008, 0.0075},
               {R - 0.0125, 0.003}},
              0, 0.0032, 0.0008, kSteel, Metal);
    m.latheZ(0.0125, -0.016, rod(R - 0.095, R - 0.075, 0.0018), j, kSteel, Metal);
    // Sights: front post and rear notch, both topped at the sight line.
    m.boxC(-0.0014, 0.0014, top - 0.001, S, M + 0.011, M + 0.018, kSteel, Metal);
    m.boxC(-0.0058, -0.0014, top - 0.001, S, R - 0.026, R - 0.019, kSteel, Metal);
    m.boxC(0.0014, 0.0058, top - 0.001, S, R - 0.026, R - 0.019, kSteel, Metal);
    m.boxC(-0.0014, 0.0014, top - 0.001, top + 0.0022, R - 0.026, R - 0.019, kSteel, Metal);
    // Rear slide serrations, k pairs.
    for (int i = 0; i < k; ++i) {
        double z1 = R - 0.0145 - i * 0.0026, z0 = z1 - 0.0012;
        m.boxC(0.0116, 0.0123, bot + 0.002, top - 0.003, z0, z1, kPolymerGrey, Paint);
        m.boxC(-0.0123, -0.0116, bot + 0.002, top - 0.003, z0, z1, kPolymerGrey, Paint);
    }
}

void buildBulldog(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    const double zb = M + 0.118;  // barrel meets the frame
    m.latheZ(0, 0, barrel(M, zb + 0.004, 0.0088, 0.0056), n, kBlued, Metal);
    // Barrel rib and the full-length ejector shroud under it.
    m.boxC(-0.003, 0.003, 0.006, 0.0102, M + 0.002, zb, kBlued, Metal);
    m.profile({{M + 0.003, -0.004}, {zb, -0.004}, {zb, -0.0215}, {M + 0.012, -0.0215}, {M + 0.003, -0.014}}, 0,
              0.0062, 0.0014, kBlued, Metal);
    // Front sight blade.
    m.profile({{M + 0.004, 0.009}, {M + 0.018, 0.009}, {M + 0.012, S}, {M + 0.006, S}}, 0, 0.0013, 0.0004, kSteel,
              Metal);
    // Cylinder with flutes between the chambers.
    const double zc0 = zb + 0.003, zc1 = zc0 + 0.042, cy = -0.0128;
    m.latheZ(0, cy, {{zc0, 0}, {zc0, 0.016}, {zc0 + 0.003, 0.0192}, {zc1 - 0.003, 0.0192}, {zc1, 0.017}, {zc1, 0}}, n,
             kBlued, Metal, std::numbers::pi / n);
    for (int c = 0; c < 6; ++c) {
        double s, co;
        sinCos(std::numbers::pi / 2 + c * std::numbers::pi / 3, &s, &co);
        m.disc({co * 0.0128, cy + s * 0.0128, zc0 - 0.0002}, {0, 0, -1}, {1, 0, 0}, 0.0047, 10, kBrass, Metal);
    }
    // Frame around the cylinder window, narrower than the cylinder.
    m.profile({{zb - 0.004, 0.0088}, {R - 0.044, 0.0088}, {R - 0.03, 0.004}, {R - 0.027, -0.012}, {R - 0.034, -0.03},
               {R - 0.06, -0.036}, {zb + 0.004, -0.034}, {zb - 0.004, -0.026}, {zb - 0.004, -0.004},
               {zc1 + 0.004, -0.004}, {zc1 + 0.004, 0.0035}, {zc0 - 0.001, 0.0035}, {zc0 - 0.001, -0.006},
               {zb - 0.004, -0.006}},
              0, 0.0098, 0.0016, kBlued, Paint);
    m.boxC(-0.0099, 0.0099, -0.034, -0.0325, zc0, zc1, kBlued, Paint);
    // Hammer.
    m.profile({{R - 0.034, 0.002}, {R - 0.022, 0.0135}, {R - 0.013, 0.0155}, {R - 0.015, 0.009}, {R - 0.025, -0.006}},
              0, 0.003, 0.0008, kSteel, Metal);
    // Wooden grip, its heel at the very rear.
    // Its top tucks up under the frame so no gap shows between them.
    m.profile({{R - 0.041, -0.02}, {R - 0.024, -0.018}, {R - 0.009, -0.045}, {R - 0.001, -0.075}, {R, -0.094},
               {R - 0.008, -0.108}, {R - 0.03, -0.111}, {R - 0.041, -0.101}, {R - 0.047, -0.072},
               {R - 0.052, -0.046}, {R - 0.056, -0.024}},
              0, 0.0158, 0.0032, kWood, Paint);
    // Grip medallion and the frame screw.
    m.disc({0.0159, -0.07, R - 0.028}, {1, 0, 0}, {0, 1, 0}, 0.0045, j, kBrass, Metal);
    m.disc({-0.0159, -0.07, R - 0.028}, {-1, 0, 0}, {0, 1, 0}, 0.0045, j, kBrass, Metal);
    triggerGuard(m, R - 0.095, R - 0.055, -0.033, -0.058, 0.0038, 0.0055, kBlued, Metal);
    trigger(m, R - 0.077, -0.034, 0.016, kSteel);
    // Rear sight notch in the top strap.
    m.boxC(-0.0055, -0.0013, 0.0085, S, R - 0.05, R - 0.043, kBlued, Metal);
    m.boxC(0.0013, 0.0055, 0.0085, S, R - 0.05, R - 0.043, kBlued, Metal);
    // Finger grooves on the front of the grip, k of them.
    for (int i = 0; i < k; ++i) {
        double y = -0.04 - i * 0.0065;
        double z = R - 0.049 - 0.0045 * (y + 0.04) / 0.065 * -1.0;
        m.boxC(-0.0135, 0.0135, y - 0.0022, y, z + 0.001, z + 0.006, kWoodDark, Paint);
    }
}

void buildHornet(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    const double zr0 = M + 0.09, zr1 = R - 0.135;  // receiver
    // Suppressor-like shroud, then the barrel into the receiver.
    m.latheZ(0, 0, {{M + 0.01, 0}, {M + 0.01, 0.0042}, {M, 0.0042}, {M, 0.0118}, {M + 0.004, 0.0135},
                    {M + 0.052, 0.0135}, {M + 0.056, 0.0095}, {zr0 + 0.01, 0.0082}, {zr0 + 0.01, 0}},
             n, kBlued, Metal);
    // Receiver and the shroud in front of it.
    m.profile({{zr0, -0.021}, {zr0, 0.019}, {zr0 + 0.006, 0.023}, {zr1, 0.023}, {zr1, -0.021}}, 0, 0.0165, 0.0022,
              kPolymerGrey, Paint);
    // Top rail with k cross slots standing proud.
    m.boxC(-0.0105, 0.0105, 0.023, 0.029, zr0 + 0.004, zr1 - 0.004, kBlued, Metal);
    for (int i = 0; i < k; ++i) {
        double z0 = zr0 + 0.01 + i * 0.01;
        m.boxC(-0.0108, 0.0108, 0.029, 0.0322, z0, z0 + 0.0052, kBlued, Metal);
    }
    // Sights on the rail: front post in its hood, rear aperture.
    m.boxC(-0.0015, 0.0015, 0.029, S, zr0 + 0.008, zr0 + 0.013, kSteel, Metal);
    m.boxC(-0.0075, -0.0055, 0.029, S + 0.002, zr0 + 0.006, zr0 + 0.015, kBlued, Metal);
    m.boxC(0.0055, 0.0075, 0.029, S + 0.002, zr0 + 0.006, zr0 + 0.015, kBlued, Metal);
    m.boxC(-0.0075, 0.0075, S - 0.006, S - 0.003, zr1 - 0.018, zr1 - 0.01, kSteel, Metal);
    m.boxC(-0.0075, -0.0012, S - 0.003, S + 0.001, zr1 - 0.018, zr1 - 0.01, kSteel, Metal);
    m.boxC(0.0012, 0.0075, S - 0.003, S + 0.001, zr1 - 0.018, zr1 - 0.01, kSteel, Metal);
    m.boxC(-0.0075, 0.0075, 0.029, S - 0.006, zr1 - 0.016, zr1 - 0.012, kBlued, Metal);
    // Straight magazine and its well.
    m.profile({{M + 0.128, -0.02}, {M + 0.168, -0.02}, {M + 0.162, -0.17}, {M + 0.126, -0.17}}, 0, 0.0105, 0.0015,
              kBlued, Metal);
    m.boxC(-0.0125, 0.0125, -0.176, -0.169, M + 0.123, M + 0.167, kPolymer, Paint);
    // Pistol grip, trigger guard and trigger.
    m.profile({{zr1 - 0.052, -0.02}, {zr1 - 0.018, -0.02}, {zr1 - 0.008, -0.05}, {zr1 + 0.002, -0.112},
               {zr1 - 0.026, -0.116}, {zr1 - 0.036, -0.07}, {zr1 - 0.047, -0.04}},
              0, 0.0135, 0.0026, kPolymer, Paint);
    triggerGuard(m, zr1 - 0.098, zr1 - 0.045, -0.02, -0.046, 0.004, 0.0065, kPolymer, Paint);
    trigger(m, zr1 - 0.074, -0.021, 0.017, kSteel);
    // Charging handle.
    m.boxC(-0.021, -0.0165, 0.004, 0.012, zr0 + 0.03, zr0 + 0.045, kSteel, Metal);
    // Collapsible stock: two tubes and the butt plate at the rear.
    m.latheZ(0.008, 0.006, rod(zr1 - 0.002, R - 0.008, 0.0045), j, kBlued, Metal);
    m.latheZ(-0.008, 0.006, rod(zr1 - 0.002, R - 0.008, 0.0045), j, kBlued, Metal);
    m.profile({{R - 0.014, 0.018}, {R, 0.016}, {R, -0.068}, {R - 0.014, -0.072}, {R - 0.02, -0.06},
               {R - 0.02, 0.012}},
              0, 0.0155, 0.0025, kPolymer, Paint);
}

void buildHalberd(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    const double zh0 = M + 0.2, zh1 = M + 0.43, zu1 = M + 0.615;
    // Flash hider with a bore, barrel, gas block.
    m.latheZ(0, 0, {{M + 0.012, 0}, {M + 0.012, 0.0062}, {M, 0.0062}, {M, 0.0105}, {M + 0.05, 0.0112},
                    {M + 0.055, 0.0076}, {zh0 + 0.01, 0.0076}, {zh0 + 0.01, 0}},
             n, kBlued, Metal);
    for (int i = 0; i < 3; ++i) {  // flash hider prongs
        double s, c;
        sinCos(std::numbers::pi / 2 + i * 2 * std::numbers::pi / 3, &s, &c);
        m.boxC(c * 0.0105 - 0.0016, c * 0.0105 + 0.0016, s * 0.0105 - 0.0016, s * 0.0105 + 0.0016, M + 0.004,
               M + 0.044, kBore, Metal);
    }
    m.boxC(-0.011, 0.011, -0.011, 0.013, M + 0.165, M + 0.195, kBlued, Metal);
    // Octagonal handguard.
    m.latheZ(0, 0.002, {{zh0, 0}, {zh0, 0.021}, {zh0 + 0.006, 0.0235}, {zh1 - 0.004, 0.0235}, {zh1, 0.021},
                        {zh1, 0}},
             8, kPolymer, Paint, std::numbers::pi / 8);
    // Upper and lower receiver with the magazine well.
    m.profile({{zh1 - 0.005, -0.012}, {zh1 - 0.005, 0.024}, {zu1, 0.024}, {zu1, 0.006}, {zu1 + 0.004, -0.012}}, 0,
              0.0125, 0.0018, kPolymerGrey, Paint);
    m.profile({{zh1 + 0.035, -0.012}, {zu1 + 0.004, -0.012}, {zu1 + 0.012, -0.026}, {zu1 - 0.02, -0.04},
               {zh1 + 0.09, -0.041}, {zh1 + 0.086, -0.052}, {zh1 + 0.04, -0.052}, {zh1 + 0.03, -0.026}},
              0, 0.0118, 0.0018, kPolymerGrey, Paint);
    // Curved magazine.
    m.profile({{zh1 + 0.043, -0.045}, {zh1 + 0.083, -0.045}, {zh1 + 0.07, -0.12}, {zh1 + 0.05, -0.19},
               {zh1 + 0.012, -0.182}, {zh1 + 0.032, -0.115}},
              0, 0.0102, 0.0016, kPolymer, Paint);
    // Pistol grip, guard, trigger.
    m.profile({{zu1 - 0.045, -0.03}, {zu1 - 0.008, -0.03}, {zu1 + 0.008, -0.07}, {zu1 + 0.026, -0.128},
               {zu1 - 0.002, -0.132}, {zu1 - 0.018, -0.08}, {zu1 - 0.036, -0.048}},
              0, 0.0138, 0.0028, kPolymer, Paint);
    triggerGuard(m, zh1 + 0.088, zu1 - 0.04, -0.036, -0.062, 0.004, 0.0075, kPolymerGrey, Paint);
    trigger(m, zh1 + 0.113, -0.037, 0.018, kSteel);
    // Full-length top rail with k slots.
    const double rail = 0.031;
    m.boxC(-0.0105, 0.0105, 0.024, rail, zh0 + 0.004, zu1 - 0.002, kBlued, Metal);
    for (int i = 0; i < k; ++i) {
        double z0 = zh0 + 0.008 + i * 0.01;
        m.boxC(-0.0108, 0.0108, rail, rail + 0.0033, z0, z0 + 0.0052, kBlued, Metal);
    }
    // Flip-up sights: front post with its ears, rear aperture; both reach the sight line.
    const double zf = zh0 + 0.012, zre = zu1 - 0.04;
    m.boxC(-0.0016, 0.0016, rail, S, zf, zf + 0.006, kSteel, Metal);
    m.boxC(-0.009, -0.0062, rail, S + 0.003, zf - 0.002, zf + 0.008, kBlued, Metal);
    m.boxC(0.0062, 0.009, rail, S + 0.003, zf - 0.002, zf + 0.008, kBlued, Metal);
    m.boxC(-0.0092, 0.0092, rail, S - 0.008, zre, zre + 0.02, kBlued, Metal);
    m.boxC(-0.0092, -0.0018, S - 0.008, S + 0.002, zre + 0.006, zre + 0.012, kSteel, Metal);
    m.boxC(0.0018, 0.0092, S - 0.008, S + 0.002, zre + 0.006, zre + 0.012, kSteel, Metal);
    m.boxC(-0.0018, 0.0018, S - 0.008, S - 0.003, zre + 0.006, zre + 0.012, kSteel, Metal);
    // Charging handle, ejection port, forward assist.
    m.boxC(-0.007, 0.007, 0.016, 0.026, zu1, zu1 + 0.012, kBlued, Metal);
    m.boxC(0.0122, 0.0134, -0.006, 0.012, zh1 + 0.03, zh1 + 0.088, kBlued, Metal);
    m.latheZ(0.014, 0.012, rod(zu1 - 0.035, zu1 - 0.01, 0.0042), j, kBlued, Metal);
    // Buffer tube and the stock, its butt at the rear.
    m.latheZ(0, 0.0, rod(zu1, M + 0.8, 0.0148), n, kBlued, Metal);
    m.profile({{M + 0.7, 0.021}, {R - 0.012, 0.021}, {R, 0.024}, {R, -0.074}, {R - 0.016, -0.078},
               {M + 0.775, -0.05}, {M + 0.72, -0.022}, {M + 0.7, -0.018}},
              0, 0.019, 0.003, kPolymer, Paint);
    m.boxC(-0.0192, 0.0192, -0.077, 0.022, R - 0.008, R - 0.0005, kRubber, Metal);
}

void buildBreacher(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    const double zr0 = M + 0.5, zr1 = M + 0.69;
    // Barrel with a wide bore, and the magazine tube under it.
    m.latheZ(0, 0, barrel(M, zr0 + 0.01, 0.0118, 0.0094), n, kBlued, Metal);
    m.latheZ(0, -0.0245, {{M + 0.03, 0}, {M + 0.03, 0.0092}, {M + 0.034, 0.0108}, {zr0 + 0.01, 0.0108},
                          {zr0 + 0.01, 0}},
             n, kBlued, Metal);
    m.boxC(-0.0055, 0.0055, -0.02, -0.006, M + 0.04, M + 0.06, kBlued, Metal);  // barrel band
    // Wooden pump with three grooves.
    {
        std::vector<P2> pump = {{M + 0.16, 0}, {M + 0.16, 0.0165}, {M + 0.168, 0.0205}};
        for (int i = 0; i < 3; ++i) {
            double z0 = M + 0.2 + i * 0.05;
            pump.insert(pump.end(), {{z0, 0.0205}, {z0, 0.0188}, {z0 + 0.01, 0.0188}, {z0 + 0.01, 0.0205}});
        }
        pump.insert(pump.end(), {{M + 0.352, 0.0205}, {M + 0.36, 0.0165}, {M + 0.36, 0}});
        m.latheZ(0, -0.022, pump, 12, kWood, Paint);
    }
    // Receiver.
    m.profile({{zr0, -0.036}, {zr0, 0.012}, {zr0 + 0.01, 0.02}, {zr1, 0.02}, {zr1 + 0.004, 0.012},
               {zr1 + 0.004, -0.03}, {zr1 - 0.025, -0.036}},
              0, 0.0148, 0.0022, kBlued, Paint);
    m.boxC(0.0146, 0.0156, -0.014, 0.01, zr0 + 0.05, zr0 + 0.13, kBore, Metal);  // ejection port
    // Vent rib on k posts, with the bead at the sight line.
    const double rib0 = 0.019, rib1 = 0.0232;
    m.boxC(-0.0042, 0.0042, rib0, rib1, M + 0.006, zr0 + 0.01, kBlued, Metal);
    for (int i = 0; i < k; ++i) {
        double z0 = M + 0.02 + i * (zr0 - M - 0.03) / std::max(k - 1, 1);
        m.boxC(-0.0024, 0.0024, 0.011, rib0, z0, z0 + 0.005, kBlued, Metal);
    }
    m.lathe({0, rib1 - 0.001, M + 0.012}, {0, 1, 0}, {1, 0, 0},
            {{0, 0}, {0, 0.0022}, {(S - rib1 + 0.001) * 0.6, 0.0026}, {S - rib1 + 0.001, 0.0012},
             {S - rib1 + 0.001, 0}},
            j, kBrass, Metal);
    triggerGuard(m, zr1 - 0.07, zr1 - 0.02, -0.034, -0.06, 0.004, 0.0072, kBlued, Metal);
    trigger(m, zr1 - 0.048, -0.035, 0.018, kSteel);
    // Wooden stock with a straight wrist, and the recoil pad at the rear.
    m.profile({{zr1 + 0.003, 0.016}, {zr1 + 0.06, 0.012}, {R - 0.015, 0.006}, {R - 0.015, -0.118},
               {zr1 + 0.12, -0.07}, {zr1 + 0.05, -0.052}, {zr1 + 0.003, -0.032}},
              0, 0.0168, 0.0035, kWood, Paint);
    m.profile({{R - 0.016, 0.007}, {R - 0.003, 0.007}, {R, 0.002}, {R, -0.114}, {R - 0.003, -0.119},
               {R - 0.016, -0.119}},
              0, 0.0172, 0.0025, kRubber, Metal);
}

// A rifle scope along z at height S: objective bell at the front, eyepiece at the rear,
// glass at both ends, elevation and windage turrets.
void scope(Mesh& m, double z0, double z1, double S, double rTube, double rBell, double rEye, int n, Colour col,
           int ringSegments) {
    const double lb = 0.06, le = 0.07;
    m.latheZ(0, S, {{z0, 0}, {z0, rBell - 0.002}, {z0 + 0.004, rBell}, {z0 + lb * 0.6, rBell},
                    {z0 + lb, rTube}, {z1 - le, rTube}, {z1 - le * 0.55, rEye}, {z1 - 0.004, rEye},
                    {z1, rEye - 0.002}, {z1, 0}},
             n, col, Paint);
    // Lenses sit just proud of the end caps.
    m.disc({0, S, z0 - 0.0004}, {0, 0, -1}, {1, 0, 0}, rBell - 0.0035, n, {0.02, 0.04, 0.06}, Glass);
    m.disc({0, S, z1 + 0.0004}, {0, 0, 1}, {1, 0, 0}, rEye - 0.0035, n, {0.02, 0.04, 0.06}, Glass);
    const double zt = 0.5 * (z0 + lb + z1 - le);
    m.lathe({0, S, zt}, {0, 1, 0}, {1, 0, 0}, {{rTube - 0.001, 0}, {rTube - 0.001, 0.0085}, {rTube + 0.016, 0.0085},
                                               {rTube + 0.019, 0.0065}, {rTube + 0.019, 0}},
            12, kBlued, Metal);
    m.lathe({0, S, zt}, {1, 0, 0}, {0, 0, 1}, {{rTube - 0.001, 0}, {rTube - 0.001, 0.007}, {rTube + 0.013, 0.007},
                                               {rTube + 0.013, 0}},
            10, kBlued, Metal);
    // Two rings down to the rail.
    for (double zr : {z0 + lb + 0.03, z1 - le - 0.03}) {
        m.latheZ(0, S, {{zr - 0.007, rTube - 0.0005}, {zr - 0.007, rTube + 0.0028}, {zr + 0.007, rTube + 0.0028},
                        {zr + 0.007, rTube - 0.0005}},
                 ringSegments, kBlued, Metal);
        m.boxC(-0.007, 0.007, S - rTube - 0.014, S - rTube + 0.001, zr - 0.007, zr + 0.007, kBlued, Metal);
    }
}

void buildLongbow(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    const double za0 = M + 0.54, za1 = M + 0.76;  // round action
    // Muzzle brake with ports, tapered barrel.
    m.latheZ(0, 0, {{M + 0.012, 0}, {M + 0.012, 0.0048}, {M, 0.0048}, {M, 0.0118}, {M + 0.058, 0.0118},
                    {M + 0.062, 0.0088}, {za0 + 0.01, 0.0118}, {za0 + 0.01, 0}},
             n, kBlued, Metal);
    for (int i = 0; i < 3; ++i) {
        double z0 = M + 0.01 + i * 0.016;
        m.boxC(-0.0122, 0.0122, -0.0035, 0.0035, z0, z0 + 0.008, kBore, Metal);
    }
    // Action and bolt with its handle on the right.
    m.latheZ(0, 0.001, {{za0, 0}, {za0, 0.0155}, {za0 + 0.004, 0.0165}, {za1, 0.0165}, {za1 + 0.02, 0.012},
                        {za1 + 0.02, 0}},
             10, kSteel, Metal, std::numbers::pi / 10);
    m.lathe({0.012, 0.004, za1 - 0.01}, {1, 0, 0}, {0, 1, 0},
            {{0, 0}, {0, 0.0035}, {0.036, 0.0035}, {0.038, 0.0075}, {0.05, 0.0075}, {0.05, 0}}, j,
            kSteel, Metal);
    // Scope rail on the action.
    m.boxC(-0.008, 0.008, 0.0155, 0.0205, za0 + 0.005, za1 - 0.005, kBlued, Metal);
    scope(m, M + 0.42, M + 0.83, S, 0.0126, 0.0215, 0.0185, n, kBlued, 10);
    // Stock: forend under the barrel, grip, cheek piece, butt at the rear.
    const double zg = za1 + 0.04;
    m.profile({{M + 0.3, -0.006}, {M + 0.31, 0.004}, {za0, 0.006}, {za1 + 0.025, 0.006}, {zg + 0.02, 0.001},
               {zg + 0.09, 0.02}, {R - 0.02, 0.024}, {R, 0.02}, {R, -0.1}, {R - 0.02, -0.104},
               {zg + 0.14, -0.055}, {zg + 0.07, -0.04}, {zg + 0.055, -0.095}, {zg + 0.02, -0.095},
               {zg + 0.012, -0.05}, {zg - 0.01, -0.032}, {za0 - 0.02, -0.032}, {M + 0.34, -0.024},
               {M + 0.3, -0.018}},
              0, 0.0185, 0.0035, kOlive, Paint);
    m.boxC(-0.0188, 0.0188, -0.104, 0.023, R - 0.009, R - 0.0005, kRubber, Metal);
    // Detachable magazine, guard, trigger.
    m.boxC(-0.0105, 0.0105, -0.05, -0.03, za0 + 0.06, za0 + 0.14, kBlued, Metal);
    triggerGuard(m, zg - 0.06, zg - 0.004, -0.031, -0.056, 0.004, 0.0072, kBlued, Metal);
    trigger(m, zg - 0.034, -0.032, 0.017, kSteel);
    // Forend grip ribs, k of them.
    for (int i = 0; i < k; ++i) {
        double z0 = M + 0.36 + i * 0.012;
        m.boxC(-0.0192, 0.0192, -0.024, -0.008, z0, z0 + 0.005, kOlive, Paint);
    }
}

void buildKingfisher(Mesh& m, const GunSpec& g, int n, int k, int j) {
    const double M = g.muzzleZ, R = M + g.length, S = g.sightHeight;
    const double zr0 = M + 0.5, zr1 = M + 0.93;
    // Big double-chamber muzzle brake, fluted heavy barrel.
    m.latheZ(0, 0, {{M + 0.015, 0}, {M + 0.015, 0.0068}, {M, 0.0068}, {M, 0.0175}, {M + 0.004, 0.0205},
                    {M + 0.08, 0.0205}, {M + 0.088, 0.0145}, {zr0 + 0.01, 0.0145}, {zr0 + 0.01, 0}},
             n, kBlued, Metal);
    for (int side = -1; side <= 1; side += 2)
        m.boxC(side > 0 ? 0.017 : -0.0208, side > 0 ? 0.0208 : -0.017, -0.009, 0.009, M + 0.02, M + 0.064, kBore,
               Metal);
    for (int f = 0; f < 6; ++f) {  // flutes
        double s, c;
        sinCos(f * std::numbers::pi / 3, &s, &c);
        m.boxC(c * 0.0145 - 0.0014, c * 0.0145 + 0.0014, s * 0.0145 - 0.0014, s * 0.0145 + 0.0014, M + 0.12,
               M + 0.42, kBore, Metal);
    }
    // Boxy upper receiver and lower with the magazine.
    m.profile({{zr0 - 0.02, -0.024}, {zr0 - 0.02, 0.016}, {zr0, 0.022}, {zr1, 0.022}, {zr1 + 0.02, 0.01},
               {zr1 + 0.02, -0.024}},
              0, 0.021, 0.003, kPolymerGrey, Paint);
    m.profile({{zr0 + 0.04, -0.024}, {zr1 - 0.04, -0.024}, {zr1 - 0.05, -0.05}, {zr0 + 0.24, -0.05},
               {zr0 + 0.2, -0.062}, {zr0 + 0.08, -0.062}, {zr0 + 0.05, -0.04}},
              0, 0.0195, 0.0028, kPolymerGrey, Paint);
    m.boxC(-0.0145, 0.0145, -0.105, -0.055, zr0 + 0.09, zr0 + 0.19, kBlued, Metal);
    // Top rail with k slots.
    m.boxC(-0.0105, 0.0105, 0.022, 0.028, zr0 - 0.015, zr1 + 0.01, kBlued, Metal);
    for (int i = 0; i < k; ++i) {
        double z0 = zr0 - 0.01 + i * 0.01;
        m.boxC(-0.0108, 0.0108, 0.028, 0.0312, z0, z0 + 0.0052, kBlued, Metal);
    }
    scope(m, zr0 - 0.005, zr0 + 0.41, S, 0.0152, 0.0235, 0.0205, n, kPolymer, 10);
    // Bolt handle, grip, guard, trigger.
    m.lathe({0.02, 0.006, zr1 - 0.03}, {1, 0, 0}, {0, 1, 0},
            {{0, 0}, {0, 0.004}, {0.03, 0.004}, {0.032, 0.009}, {0.044, 0.009}, {0.046, 0}}, 8, kSteel, Metal);
    const double zg = zr1 - 0.05;
    m.profile({{zg - 0.03, -0.05}, {zg + 0.006, -0.05}, {zg + 0.022, -0.09}, {zg + 0.036, -0.15},
               {zg + 0.008, -0.155}, {zg - 0.008, -0.1}, {zg - 0.024, -0.068}},
              0, 0.0145, 0.003, kPolymer, Paint);
    triggerGuard(m, zg - 0.078, zg - 0.02, -0.05, -0.078, 0.0045, 0.008, kPolymerGrey, Paint);
    trigger(m, zg - 0.05, -0.051, 0.018, kSteel);
    // Skeleton stock with a monopod, recoil pad at the rear.
    m.profile({{zr1 + 0.02, 0.01}, {R - 0.02, 0.018}, {R - 0.015, -0.1}, {R - 0.06, -0.104}, {R - 0.07, -0.03},
               {zr1 + 0.08, -0.03}, {zr1 + 0.02, -0.024}},
              0, 0.019, 0.003, kPolymer, Paint);
    m.profile({{R - 0.018, 0.022}, {R - 0.004, 0.022}, {R, 0.016}, {R, -0.1}, {R - 0.004, -0.106},
               {R - 0.018, -0.106}},
              0, 0.021, 0.0025, kRubber, Metal);
    m.lathe({0, -0.1, R - 0.038}, {0, -1, 0}, {1, 0, 0},
            {{0, 0}, {0, 0.006}, {0.04, 0.006}, {0.046, 0.012}, {0.046, 0}}, j, kBlued, Metal);
    // Folded bipod legs along the barrel.
    for (int side = -1; side <= 1; side += 2)
        m.latheZ(side * 0.016, -0.022, rod(M + 0.2, zr0 - 0.04, 0.0042), 6, kBlued, Metal);
    m.boxC(-0.02, 0.02, -0.028, -0.012, zr0 - 0.05, zr0 - 0.025, kBlued, Metal);
}

const Builder kBuilders[7] = {buildWasp, buildBulldog, buildHornet, buildHalberd, buildBreacher, buildLongbow,
                              buildKingfisher};
// Preferred and allowed ranges of the free counts.
struct Freedom {
    int n0, nMin, nMax, k0, kMin, kMax, j0, jMin, jMax;
};
const Freedom kFreedom[7] = {
    {28, 18, 48, 9, 5, 13, 10, 6, 16},   {28, 18, 48, 5, 3, 8, 12, 8, 20},   {28, 18, 48, 12, 6, 17, 10, 6, 16},
    {28, 18, 48, 30, 20, 38, 10, 6, 16}, {28, 18, 48, 12, 6, 20, 10, 6, 16}, {22, 16, 40, 8, 4, 16, 10, 6, 16},
    {22, 16, 40, 16, 8, 40, 10, 6, 16},
};

int trianglesFor(int gun, int n, int k, int j) {
    Mesh m;
    kBuilders[gun](m, kGuns[gun], n, k, j);
    return m.triangles();
}

// Pins the model to its exact extent: moves nothing, but reports a miss as an error.
bool checkExtent(const Mesh& m, const GunSpec& g) {
    double lo = 1e9, hi = -1e9;
    for (const Vertex& v : m.v) {
        lo = std::min(lo, double(v.f[2]));
        hi = std::max(hi, double(v.f[2]));
    }
    float wantLo = float(g.muzzleZ), wantHi = float(g.muzzleZ + g.length);
    if (float(lo) != wantLo || std::abs(float(hi) - wantHi) > 1e-6f) {
        std::fprintf(stderr, "%s: z extent %.7f..%.7f, want %.7f..%.7f\n", g.name, lo, hi, double(wantLo),
                     double(wantHi));
        return false;
    }
    return true;
}

void putI32(std::vector<unsigned char>& out, int32_t v) {
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i) out.push_back((unsigned char)((u >> (8 * i)) & 0xFF));
}
void putF32(std::vector<unsigned char>& out, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    putI32(out, int32_t(u));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_model_pack <output>\n");
        return 2;
    }
    std::vector<unsigned char> out = {'Q', 'X', 'G', '2'};
    putI32(out, 7);
    for (int gun = 0; gun < 7; ++gun) {
        const GunSpec& g = kGuns[gun];
        const Freedom& f = kFreedom[gun];
        const int want = g.vertices / 3;
        // The count is affine in each free count; measure the slopes once, then solve.
        const int base = trianglesFor(gun, f.n0, f.k0, f.j0);
        const int dn = trianglesFor(gun, f.n0 + 1, f.k0, f.j0) - base;
        const int dk = trianglesFor(gun, f.n0, f.k0 + 1, f.j0) - base;
        const int dj = trianglesFor(gun, f.n0, f.k0, f.j0 + 1) - base;
        int bestN = -1, bestK = -1, bestJ = -1, bestCost = 1 << 30;
        for (int n = f.nMin; n <= f.nMax; ++n)
            for (int j = f.jMin; j <= f.jMax; ++j) {
                int rest = want - base - dn * (n - f.n0) - dj * (j - f.j0);
                if (dk == 0 || rest % dk != 0) continue;
                int k = f.k0 + rest / dk;
                if (k < f.kMin || k > f.kMax) continue;
                int cost = 3 * std::abs(n - f.n0) + std::abs(k - f.k0) + std::abs(j - f.j0);
                if (cost < bestCost) bestCost = cost, bestN = n, bestK = k, bestJ = j;
            }
        if (bestN < 0) {
            std::fprintf(stderr,
                         "%s: no detail level gives %d triangles (base %d at n=%d k=%d j=%d; +%d per n, +%d per k, "
                         "+%d per j)\n",
                         g.name, want, base, f.n0, f.k0, f.j0, dn, dk, dj);
            return 1;
        }
        Mesh m;
        kBuilders[gun](m, g, bestN, bestK, bestJ);
        if (m.triangles() != want) {
            std::fprintf(stderr, "%s: built %d triangles, want %d\n", g.name, m.triangles(), want);
            return 1;
        }
        if (!checkExtent(m, g)) return 1;
        char name[16] = {};
        std::strncpy(name, g.name, sizeof name - 1);
        out.insert(out.end(), name, name + 16);
        putI32(out, int32_t(m.v.size()));
        putF32(out, 0.0f);
        putF32(out, 0.0f);
        putF32(out, float(g.muzzleZ));
        putF32(out, float(g.sightHeight));
        putF32(out, float(g.length));
        for (const Vertex& v : m.v)
            for (float x : v.f) putF32(out, x);
        std::printf("%-10s n=%d k=%d j=%d: %d vertices\n", g.name, bestN, bestK, bestJ, int(m.v.size()));
    }
    std::string tmp = std::string(argv[1]) + ".tmp";
    std::FILE* file = std::fopen(tmp.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cannot create %s\n", tmp.c_str());
        return 1;
    }
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    ok = (std::fclose(file) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("model pack: %zu bytes\n", out.size());
    return 0;
}
