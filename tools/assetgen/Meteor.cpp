#include "Canvas.h"
#include "Models.h"
#include "Noise.h"
#include "ObjWriter.h"
#include "Rng.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace assetgen {
namespace {

constexpr double kPi = 3.141592653589793;

struct Crater {
    glm::dvec3 centre;
    double radius; // angular, radians
};

// One rock, shared by the mesh (its height) and the texture (its colour), so the
// painted craters sit in the modelled ones.
class Rock {
public:
    Rock() : shape_(0x3E7E0), detail_(0x3E7E1) {
        Rng rng(0x3E7E2);
        for (int i = 0; i < 9; ++i) {
            Crater c;
            c.centre = rng.direction();
            c.radius = rng.uniform(0.16, 0.42);
            craters_.push_back(c);
        }
    }

    // Crater shape at direction d: negative in the bowl, a raised rim around it.
    double crater(const glm::dvec3& d, double* rimOut = nullptr) const {
        double h = 0.0, rim = 0.0;
        for (const Crater& c : craters_) {
            double x = std::acos(std::clamp(glm::dot(d, c.centre), -1.0, 1.0)) / c.radius;
            double depth = 0.28 * c.radius;
            if (x < 1.0)
                h += (x * x - 1.0) * depth;
            double r = std::exp(-std::pow((x - 1.0) / 0.22, 2.0));
            h += 0.35 * depth * r;
            rim = std::max(rim, r);
        }
        if (rimOut)
            *rimOut = rim;
        return h;
    }

    double radius(const glm::dvec3& d) const {
        double lumps = 0.16 * shape_.fbm(d * 0.9, 3);
        double rough = 0.06 * detail_.fbm(d * 3.5, 5);
        return 1.0 + lumps + rough + crater(d);
    }

    glm::vec3 colour(const glm::dvec3& d) const {
        double rim = 0.0;
        double bowl = crater(d, &rim);
        double mottled = detail_.fbm(d * 6.0, 6);
        double grain = detail_.fbm(d * 40.0, 3);
        double streaks = shape_.ridged(d * 3.0, 4);
        glm::vec3 grey(0.42f, 0.41f, 0.40f), brown(0.44f, 0.36f, 0.28f);
        glm::vec3 c = glm::mix(grey, brown, float(std::clamp(0.35 + 0.6 * mottled, 0.0, 0.85)));
        c *= float(0.72 + 0.22 * grain + 0.18 * streaks);
        c *= float(std::clamp(1.0 + 2.2 * std::min(bowl, 0.0), 0.55, 1.0)); // dark bowls
        c += float(0.06 * rim) * glm::vec3(1.0f, 0.95f, 0.9f);              // lit rims
        return c;
    }

private:
    Noise3 shape_, detail_;
    std::vector<Crater> craters_;
};

// Longitude/latitude of a unit direction, matching Mesh::ellipsoid's layout.
glm::dvec2 sphereUv(const glm::dvec3& d) {
    double u = std::atan2(-d.z, d.x) / (2.0 * kPi);
    if (u < 0.0)
        u += 1.0;
    double v = std::asin(std::clamp(d.y, -1.0, 1.0)) / kPi + 0.5;
    return {u, v};
}

} // namespace

void makeMeteor(const std::string& assets) {
    Rock rock;
    const int tw = 1024, th = 512;
    Canvas img(tw, th);
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
            double lon = 2.0 * kPi * (x + 0.5) / tw, lat = kPi * ((y + 0.5) / th - 0.5);
            glm::dvec3 d(std::cos(lat) * std::cos(lon), std::sin(lat),
                         -std::cos(lat) * std::sin(lon));
            img.at(x, y) = rock.colour(d);
        }
    img.saveJpeg(assets + "/Models/Meteor/Meteor.jpg", 85);

    IndexedSphere sphere = icosphere(3);
    std::vector<glm::dvec3> pos;
    for (const glm::dvec3& d : sphere.positions)
        pos.push_back(d * rock.radius(d));
    std::vector<glm::dvec3> normals(pos.size(), glm::dvec3(0.0));
    for (const auto& f : sphere.faces) {
        glm::dvec3 n = glm::cross(pos[f[1]] - pos[f[0]], pos[f[2]] - pos[f[0]]);
        for (int i : f)
            normals[i] += n; // area weighted
    }
    Mesh mesh;
    for (const auto& f : sphere.faces) {
        Vertex v[3];
        glm::dvec2 uv[3];
        for (int k = 0; k < 3; ++k)
            uv[k] = sphereUv(sphere.positions[f[k]]);
        // A face across the u = 0/1 seam continues past 1 (the texture repeats).
        double lo = std::min({uv[0].x, uv[1].x, uv[2].x}),
               hi = std::max({uv[0].x, uv[1].x, uv[2].x});
        if (hi - lo > 0.5)
            for (auto& t : uv)
                if (t.x < 0.5)
                    t.x += 1.0;
        // A corner on a pole takes the u of its neighbours.
        for (int k = 0; k < 3; ++k)
            if (std::fabs(sphere.positions[f[k]].y) > 0.999999)
                uv[k].x = 0.5 * (uv[(k + 1) % 3].x + uv[(k + 2) % 3].x);
        for (int k = 0; k < 3; ++k)
            v[k] = {glm::vec3(pos[f[k]]), glm::vec3(glm::normalize(normals[f[k]])),
                    glm::vec2(uv[k])};
        mesh.add(v[0], v[1], v[2]);
    }
    MaterialDesc mat;
    mat.diffuse = glm::vec3(0.9f);
    mat.ambient = glm::vec3(0.35f);
    mat.specular = glm::vec3(0.1f);
    mat.shininess = 8.0f;
    mat.texture = "Meteor.jpg";
    writeObj(assets + "/Models/Meteor", "Meteor", mesh, mat);
    reportModel("Models/Meteor/Meteor.obj", mesh);
}

} // namespace assetgen
