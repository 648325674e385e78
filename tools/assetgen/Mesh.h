#pragma once
#include <glm/glm.hpp>

#include <array>
#include <functional>
#include <vector>

namespace assetgen {

struct Vertex {
    glm::vec3 p;
    glm::vec3 n;
    glm::vec2 uv;
};

// Front face counter-clockwise, as OpenGL culls by default.
struct Triangle {
    Vertex v[3];
};

// The part of a texture atlas that a primitive maps its (s, t) in [0, 1]^2 onto.
struct UvRect {
    float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;

    glm::vec2 at(float s, float t) const { return {u0 + (u1 - u0) * s, v0 + (v1 - v0) * t}; }
    // Pixel box [x0, x1] x [y0, y1] of a size x size atlas, pulled in by `inset` pixels so
    // that filtering and mipmaps do not bleed in the neighbouring parts.
    static UvRect pixels(float x0, float y0, float x1, float y1, float size, float inset = 2.0f) {
        return {(x0 + inset) / size, (y0 + inset) / size, (x1 - inset) / size, (y1 - inset) / size};
    }
};

struct Bounds {
    glm::vec3 min{1e30f};
    glm::vec3 max{-1e30f};
};

// Parametric surface point for s, t in [0, 1]; its front is the side that
// cross(dP/ds, dP/dt) points to.
using Patch = std::function<glm::dvec3(double s, double t)>;

// A triangle soup with per-corner normals and texture coordinates. The OBJ writer
// shares equal positions, normals and coordinates again, so primitives may repeat them
// freely; hard edges come from giving faces their own normals.
class Mesh {
public:
    // Drops triangles without area.
    void add(const Vertex& a, const Vertex& b, const Vertex& c);
    // Flat convex polygon, counter-clockwise seen from the front, one uv per corner.
    void polygon(const std::vector<glm::vec3>& corners, const std::vector<glm::vec2>& uvs);
    void quad(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c, const glm::vec3& d,
              const UvRect& uv);

    // Smooth grid of ns x nt cells. Rows that collapse to a point (poles, tips) become
    // fans whose apex takes the cell's middle s, so the texture does not shear there.
    void surface(int ns, int nt, const Patch& patch, const UvRect& uv, bool inward = false);

    // The cube [-0.5, 0.5]^3 moved by `m`, every face flat and mapped onto `uv`. On the
    // y and z faces s runs along x; on the x faces s runs along z.
    void box(const glm::mat4& m, const UvRect& uv);
    // Faces in the order +x, -x, +y, -y, +z, -z.
    void box(const glm::mat4& m, const std::array<UvRect, 6>& faces);
    void box(const glm::vec3& lo, const glm::vec3& hi, const UvRect& uv);

    // Round cylinder or cone frustum from a (radius ra) to b (radius rb); s runs around,
    // t from a to b. Caps are added where a rect is given.
    void cylinder(const glm::vec3& a, const glm::vec3& b, float ra, float rb, int segments,
                  const UvRect& side, const UvRect* capA = nullptr, const UvRect* capB = nullptr);
    void disc(const glm::vec3& centre, const glm::vec3& normal, float radius, int segments,
              const UvRect& uv);
    // s along longitude, t from the -y pole to the +y pole.
    void ellipsoid(const glm::vec3& centre, const glm::vec3& radii, int ns, int nt,
                   const UvRect& uv, bool inward = false);

    // Surface of revolution about the line through `origin` along `axis`. `profile`
    // holds (distance along the axis, radius) points; each segment between two points is
    // its own smooth band, so profile corners stay hard, unless `smooth` makes the whole
    // profile one curved surface. The front is on the left of the profile's direction of
    // travel (moving along +axis faces outward). `rects` has one rect per segment, or a
    // single one that the whole profile shares.
    void lathe(const glm::vec3& origin, const glm::vec3& axis,
               const std::vector<glm::vec2>& profile, int segments,
               const std::vector<UvRect>& rects, bool smooth = false);

    // Convex outline in the local xy plane, counter-clockwise seen from +z; z of each
    // point is its half thickness. Top and bottom map the outline's extent onto `faces`,
    // the rim onto `rim`. The result is moved by `m`.
    void slab(const std::vector<glm::vec3>& outline, const glm::mat4& m, const UvRect& faces,
              const UvRect& rim);

    // Adds `other` moved by `m`; a mirroring `m` keeps the faces front-facing.
    void append(const Mesh& other, const glm::mat4& m = glm::mat4(1.0f));
    // Keeps only the triangles whose front faces the point `eye`.
    void keepFacing(const glm::vec3& eye);

    const std::vector<Triangle>& triangles() const { return tris_; }
    Bounds bounds() const;

private:
    std::vector<Triangle> tris_;
};

// Unit icosahedron split `subdivisions` times, vertices on the unit sphere.
struct IndexedSphere {
    std::vector<glm::dvec3> positions;
    std::vector<std::array<int, 3>> faces;
};
IndexedSphere icosphere(int subdivisions);

// Any unit vector perpendicular to `axis`, chosen the same way every time.
glm::vec3 perpendicular(const glm::vec3& axis);

} // namespace assetgen
