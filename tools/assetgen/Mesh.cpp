#include "Mesh.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace assetgen {
namespace {

constexpr double kTau = 6.283185307179586;

glm::vec3 faceNormal(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    return glm::cross(b - a, c - a);
}

// Newell's normal: robust for slightly non-planar polygons.
glm::vec3 polygonNormal(const std::vector<glm::vec3>& pts) {
    glm::vec3 n(0.0f);
    for (size_t i = 0; i < pts.size(); ++i) {
        const glm::vec3& a = pts[i];
        const glm::vec3& b = pts[(i + 1) % pts.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return glm::normalize(n);
}

glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

} // namespace

void Mesh::add(const Vertex& a, const Vertex& b, const Vertex& c) {
    if (glm::length(faceNormal(a.p, b.p, c.p)) < 1e-10f)
        return;
    tris_.push_back({{a, b, c}});
}

void Mesh::polygon(const std::vector<glm::vec3>& corners, const std::vector<glm::vec2>& uvs) {
    glm::vec3 n = polygonNormal(corners);
    for (size_t i = 1; i + 1 < corners.size(); ++i)
        add({corners[0], n, uvs[0]}, {corners[i], n, uvs[i]}, {corners[i + 1], n, uvs[i + 1]});
}

void Mesh::quad(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c, const glm::vec3& d,
                const UvRect& uv) {
    polygon({a, b, c, d}, {uv.at(0, 0), uv.at(1, 0), uv.at(1, 1), uv.at(0, 1)});
}

void Mesh::surface(int ns, int nt, const Patch& patch, const UvRect& uv, bool inward) {
    auto point = [&](double s, double t) { return patch(s, t); };
    auto normal = [&](double s, double t) {
        const double e = 1e-5;
        for (int attempt = 0; attempt < 2; ++attempt) {
            glm::dvec3 ds = point(std::min(s + e, 1.0), t) - point(std::max(s - e, 0.0), t);
            glm::dvec3 dt = point(s, std::min(t + e, 1.0)) - point(s, std::max(t - e, 0.0));
            glm::dvec3 n = glm::cross(ds, dt);
            if (glm::length(n) > 1e-14)
                return glm::vec3(glm::normalize(inward ? -n : n));
            // Degenerate at a pole or tip: take the normal just inside the surface.
            t = t < 0.5 ? t + 1e-4 : t - 1e-4;
        }
        return glm::vec3(0.0f, 1.0f, 0.0f);
    };
    auto vertex = [&](double s, double t) {
        return Vertex{glm::vec3(point(s, t)), normal(s, t), uv.at(float(s), float(t))};
    };
    auto collapsed = [&](double t) {
        glm::dvec3 first = point(0.0, t);
        for (int i = 1; i <= ns; ++i)
            if (glm::length(point(double(i) / ns, t) - first) > 1e-9)
                return false;
        return true;
    };
    std::vector<bool> rowCollapsed(nt + 1);
    for (int j = 0; j <= nt; ++j)
        rowCollapsed[j] = collapsed(double(j) / nt);

    auto emit = [&](const Vertex& a, const Vertex& b, const Vertex& c) {
        if (inward)
            add(a, c, b);
        else
            add(a, b, c);
    };
    for (int j = 0; j < nt; ++j) {
        double t0 = double(j) / nt, t1 = double(j + 1) / nt;
        for (int i = 0; i < ns; ++i) {
            double s0 = double(i) / ns, s1 = double(i + 1) / ns, sm = (i + 0.5) / ns;
            if (rowCollapsed[j]) {
                emit(vertex(sm, t0), vertex(s1, t1), vertex(s0, t1));
            } else if (rowCollapsed[j + 1]) {
                emit(vertex(s0, t0), vertex(s1, t0), vertex(sm, t1));
            } else {
                Vertex a = vertex(s0, t0), b = vertex(s1, t0), c = vertex(s1, t1),
                       d = vertex(s0, t1);
                emit(a, b, c);
                emit(a, c, d);
            }
        }
    }
}

void Mesh::box(const glm::mat4& m, const UvRect& uv) {
    box(m, {uv, uv, uv, uv, uv, uv});
}

void Mesh::box(const glm::mat4& m, const std::array<UvRect, 6>& faces) {
    struct Face {
        glm::vec3 n, u, v;
    };
    static const Face kFaces[6] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    bool mirrored = glm::determinant(glm::mat3(m)) < 0.0f;
    for (int f = 0; f < 6; ++f) {
        const Face& face = kFaces[f];
        std::vector<glm::vec3> pts;
        std::vector<glm::vec2> uvs;
        const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (const auto& c : st) {
            glm::vec3 local = 0.5f * face.n + (c[0] - 0.5f) * face.u + (c[1] - 0.5f) * face.v;
            pts.push_back(transformPoint(m, local));
            uvs.push_back(faces[f].at(c[0], c[1]));
        }
        if (mirrored) {
            std::reverse(pts.begin(), pts.end());
            std::reverse(uvs.begin(), uvs.end());
        }
        polygon(pts, uvs);
    }
}

void Mesh::box(const glm::vec3& lo, const glm::vec3& hi, const UvRect& uv) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), 0.5f * (lo + hi));
    box(glm::scale(m, hi - lo), uv);
}

glm::vec3 perpendicular(const glm::vec3& axis) {
    glm::vec3 a = glm::normalize(axis);
    glm::vec3 helper = std::fabs(a.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    return glm::normalize(glm::cross(helper, a));
}

void Mesh::cylinder(const glm::vec3& a, const glm::vec3& b, float ra, float rb, int segments,
                    const UvRect& side, const UvRect* capA, const UvRect* capB) {
    glm::dvec3 axis = glm::normalize(glm::dvec3(b - a));
    glm::dvec3 e1 = glm::dvec3(perpendicular(glm::vec3(axis)));
    glm::dvec3 e2 = glm::cross(axis, e1);
    glm::dvec3 da(a), db(b);
    surface(
        segments, 1,
        [=](double s, double t) {
            double r = ra + (rb - ra) * t;
            return da + (db - da) * t + r * (std::cos(kTau * s) * e1 + std::sin(kTau * s) * e2);
        },
        side);
    if (capA)
        disc(a, -glm::vec3(axis), ra, segments, *capA);
    if (capB)
        disc(b, glm::vec3(axis), rb, segments, *capB);
}

void Mesh::disc(const glm::vec3& centre, const glm::vec3& normal, float radius, int segments,
                const UvRect& uv) {
    glm::vec3 n = glm::normalize(normal);
    glm::vec3 e1 = perpendicular(n);
    glm::vec3 e2 = glm::cross(n, e1);
    Vertex c{centre, n, uv.at(0.5f, 0.5f)};
    for (int i = 0; i < segments; ++i) {
        float a0 = float(kTau * i / segments), a1 = float(kTau * (i + 1) / segments);
        glm::vec3 p0 = centre + radius * (std::cos(a0) * e1 + std::sin(a0) * e2);
        glm::vec3 p1 = centre + radius * (std::cos(a1) * e1 + std::sin(a1) * e2);
        add(c, {p0, n, uv.at(0.5f + 0.5f * std::cos(a0), 0.5f + 0.5f * std::sin(a0))},
            {p1, n, uv.at(0.5f + 0.5f * std::cos(a1), 0.5f + 0.5f * std::sin(a1))});
    }
}

void Mesh::ellipsoid(const glm::vec3& centre, const glm::vec3& radii, int ns, int nt,
                     const UvRect& uv, bool inward) {
    glm::dvec3 c(centre), r(radii);
    surface(
        ns, nt,
        [=](double s, double t) {
            double lon = kTau * s, lat = 0.5 * kTau * (t - 0.5);
            // Exact poles, so the pole rows collapse to one point.
            double cl = (t <= 0.0 || t >= 1.0) ? 0.0 : std::cos(lat);
            double sl = t <= 0.0 ? -1.0 : (t >= 1.0 ? 1.0 : std::sin(lat));
            return c + r * glm::dvec3(cl * std::cos(lon), sl, -cl * std::sin(lon));
        },
        uv, inward);
}

void Mesh::lathe(const glm::vec3& origin, const glm::vec3& axis,
                 const std::vector<glm::vec2>& profile, int segments,
                 const std::vector<UvRect>& rects, bool smooth) {
    glm::dvec3 a = glm::normalize(glm::dvec3(axis));
    glm::dvec3 e1 = glm::dvec3(perpendicular(glm::vec3(a)));
    glm::dvec3 e2 = glm::cross(a, e1);
    glm::dvec3 o(origin);
    if (smooth) {
        // Grid rows sit exactly on the profile points, so the central differences of
        // the normals straddle the corners and round them off.
        std::vector<glm::dvec2> pts(profile.begin(), profile.end());
        int n = int(pts.size()) - 1;
        surface(
            segments, n,
            [=](double s, double t) {
                double f = std::clamp(t * n, 0.0, double(n));
                int i = std::min(int(f), n - 1);
                glm::dvec2 x = pts[i] + (pts[i + 1] - pts[i]) * (f - i);
                double ang = kTau * s;
                return o + a * x.x + x.y * (std::cos(ang) * e1 + std::sin(ang) * e2);
            },
            rects[0]);
        return;
    }
    double total = 0.0;
    std::vector<double> start;
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        start.push_back(total);
        total += glm::length(profile[i + 1] - profile[i]);
    }
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        glm::dvec2 p(profile[i]), q(profile[i + 1]);
        UvRect uv = rects.size() == 1 ? rects[0] : rects[i];
        if (rects.size() == 1) {
            // Shared rect: this band gets its share of t by profile length.
            float t0 = float(start[i] / total);
            float t1 = float((start[i] + glm::length(q - p)) / total);
            uv = {uv.u0, uv.v0 + (uv.v1 - uv.v0) * t0, uv.u1, uv.v0 + (uv.v1 - uv.v0) * t1};
        }
        surface(
            segments, 1,
            [=](double s, double t) {
                glm::dvec2 x = p + (q - p) * t;
                double ang = kTau * s;
                return o + a * x.x + x.y * (std::cos(ang) * e1 + std::sin(ang) * e2);
            },
            uv);
    }
}

void Mesh::slab(const std::vector<glm::vec3>& outline, const glm::mat4& m, const UvRect& faces,
                const UvRect& rim) {
    Mesh local;
    glm::vec2 lo(1e30f), hi(-1e30f);
    for (const glm::vec3& p : outline) {
        lo = glm::min(lo, glm::vec2(p));
        hi = glm::max(hi, glm::vec2(p));
    }
    auto planar = [&](const glm::vec3& p) {
        glm::vec2 st = (glm::vec2(p) - lo) / (hi - lo);
        return faces.at(st.x, st.y);
    };
    std::vector<glm::vec3> top, bottom;
    std::vector<glm::vec2> topUv, bottomUv;
    for (const glm::vec3& p : outline) {
        top.push_back({p.x, p.y, p.z});
        topUv.push_back(planar(p));
    }
    for (auto it = outline.rbegin(); it != outline.rend(); ++it) {
        bottom.push_back({it->x, it->y, -it->z});
        bottomUv.push_back(planar(*it));
    }
    local.polygon(top, topUv);
    local.polygon(bottom, bottomUv);
    for (size_t i = 0; i < outline.size(); ++i) {
        const glm::vec3& p = outline[i];
        const glm::vec3& q = outline[(i + 1) % outline.size()];
        local.quad({p.x, p.y, -p.z}, {q.x, q.y, -q.z}, {q.x, q.y, q.z}, {p.x, p.y, p.z}, rim);
    }
    append(local, m);
}

void Mesh::append(const Mesh& other, const glm::mat4& m) {
    glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(m)));
    bool mirrored = glm::determinant(glm::mat3(m)) < 0.0f;
    for (const Triangle& t : other.tris_) {
        Triangle out = t;
        for (Vertex& v : out.v) {
            v.p = transformPoint(m, v.p);
            v.n = glm::normalize(normalMatrix * v.n);
        }
        if (mirrored)
            std::swap(out.v[1], out.v[2]);
        tris_.push_back(out);
    }
}

void Mesh::keepFacing(const glm::vec3& eye) {
    std::vector<Triangle> kept;
    for (const Triangle& t : tris_) {
        glm::vec3 centre = (t.v[0].p + t.v[1].p + t.v[2].p) / 3.0f;
        if (glm::dot(faceNormal(t.v[0].p, t.v[1].p, t.v[2].p), eye - centre) > 0.0f)
            kept.push_back(t);
    }
    tris_ = std::move(kept);
}

Bounds Mesh::bounds() const {
    Bounds b;
    for (const Triangle& t : tris_)
        for (const Vertex& v : t.v) {
            b.min = glm::min(b.min, v.p);
            b.max = glm::max(b.max, v.p);
        }
    return b;
}

IndexedSphere icosphere(int subdivisions) {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    IndexedSphere s;
    const double base[12][3] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (const auto& p : base)
        s.positions.push_back(glm::normalize(glm::dvec3(p[0], p[1], p[2])));
    s.faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
               {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int level = 0; level < subdivisions; ++level) {
        std::map<std::pair<int, int>, int> midpoints;
        auto midpoint = [&](int a, int b) {
            std::pair<int, int> key(std::min(a, b), std::max(a, b));
            auto it = midpoints.find(key);
            if (it != midpoints.end())
                return it->second;
            s.positions.push_back(glm::normalize(s.positions[a] + s.positions[b]));
            int index = int(s.positions.size()) - 1;
            midpoints.emplace(key, index);
            return index;
        };
        std::vector<std::array<int, 3>> next;
        for (const auto& f : s.faces) {
            int ab = midpoint(f[0], f[1]);
            int bc = midpoint(f[1], f[2]);
            int ca = midpoint(f[2], f[0]);
            next.push_back({f[0], ab, ca});
            next.push_back({f[1], bc, ab});
            next.push_back({f[2], ca, bc});
            next.push_back({ab, bc, ca});
        }
        s.faces = std::move(next);
    }
    return s;
}

} // namespace assetgen
