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

// The same longitude/latitude mapping as Mesh::ellipsoid: u is longitude, v runs from
// the -y pole (v = 0) to the +y pole.
glm::dvec3 directionAt(double u, double v) {
    double lon = 2.0 * kPi * u, lat = kPi * (v - 0.5);
    return {std::cos(lat) * std::cos(lon), std::sin(lat), -std::cos(lat) * std::sin(lon)};
}

struct Star {
    glm::dvec3 dir;
    double sigma;      // angular radius of the core, radians
    double brightness; // peak added to the pixel
    glm::vec3 tint;
    bool spikes;
};

glm::vec3 starTint(Rng& rng) {
    double r = rng.uniform();
    if (r < 0.22)
        return {0.70f, 0.80f, 1.00f}; // hot, bluish
    if (r < 0.62)
        return {0.95f, 0.97f, 1.00f}; // white
    if (r < 0.85)
        return {1.00f, 0.93f, 0.72f}; // yellow
    return {1.00f, 0.70f, 0.52f};     // cool, reddish
}

// Sky image in which every pixel stands for a direction on the sphere, so stars and
// clouds are laid out in 3D: no seam at u = 0/1 and no stretching at the poles.
class Sky {
public:
    Sky(int width, int height) : img_(width, height) {
        for (int y = 0; y < height; ++y) {
            double lat = kPi * ((y + 0.5) / height - 0.5);
            sinLat_.push_back(std::sin(lat));
            cosLat_.push_back(std::cos(lat));
        }
        for (int x = 0; x < width; ++x) {
            double lon = 2.0 * kPi * (x + 0.5) / width;
            sinLon_.push_back(std::sin(lon));
            cosLon_.push_back(std::cos(lon));
        }
    }

    Canvas& image() { return img_; }
    glm::dvec3 pixelDirection(int x, int y) const {
        return {cosLat_[y] * cosLon_[x], sinLat_[y], -cosLat_[y] * sinLon_[x]};
    }

    void addStar(const Star& s) {
        const int w = img_.width(), h = img_.height();
        double reach = s.sigma * (s.spikes ? 14.0 : 3.5);
        double lat = std::asin(std::clamp(s.dir.y, -1.0, 1.0));
        double lon = std::atan2(-s.dir.z, s.dir.x);
        int y0 = std::max(0, int(std::floor((lat - reach) / kPi * h + 0.5 * h)) - 1);
        int y1 = std::min(h - 1, int(std::ceil((lat + reach) / kPi * h + 0.5 * h)) + 1);
        int x0 = 0, x1 = w - 1;
        double highest = std::fabs(lat) + reach;
        if (highest < 0.5 * kPi - 1e-3) {
            double span = reach / std::cos(highest);
            double cx = lon / (2.0 * kPi) * w;
            x0 = int(std::floor(cx - span / (2.0 * kPi) * w)) - 1;
            x1 = int(std::ceil(cx + span / (2.0 * kPi) * w)) + 1;
            if (x1 - x0 >= w) {
                x0 = 0;
                x1 = w - 1;
            }
        }
        // Spikes run along the local east and north directions of the star.
        glm::dvec3 east = glm::normalize(glm::cross(glm::dvec3(0, 1, 0), s.dir) + glm::dvec3(1e-9));
        glm::dvec3 north = glm::cross(s.dir, east);
        double inv2s2 = 1.0 / (2.0 * s.sigma * s.sigma);
        for (int y = y0; y <= y1; ++y)
            for (int xi = x0; xi <= x1; ++xi) {
                int x = ((xi % w) + w) % w;
                glm::dvec3 d = pixelDirection(x, y);
                glm::dvec3 off = d - s.dir;
                double d2 = glm::dot(off, off);
                double v = std::exp(-d2 * inv2s2) + 0.08 * std::exp(-d2 * inv2s2 * 0.12);
                if (s.spikes) {
                    double a = glm::dot(off, east), b = glm::dot(off, north);
                    double thin = 1.0 / (2.0 * 0.25 * s.sigma * s.sigma);
                    v += 0.35 * std::exp(-b * b * thin) * std::exp(-std::fabs(a) / (4.0 * s.sigma));
                    v += 0.35 * std::exp(-a * a * thin) * std::exp(-std::fabs(b) / (4.0 * s.sigma));
                }
                if (v > 1e-4)
                    img_.at(x, y) += float(v * s.brightness) * s.tint;
            }
    }

private:
    Canvas img_;
    std::vector<double> sinLat_, cosLat_, sinLon_, cosLon_;
};

// The faint background: two coloured nebula layers and a milky band along a tilted great
// circle. Low frequency, so it is evaluated on a quarter-size grid and interpolated.
Canvas backdrop(int width, int height) {
    Noise3 warp(0x5EED01), cloud(0x5EED02), dust(0x5EED03);
    const glm::dvec3 bandNormal = glm::normalize(glm::dvec3(0.35, 0.85, 0.4));
    Canvas low(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            glm::dvec3 d = directionAt((x + 0.5) / width, (y + 0.5) / height);
            glm::dvec3 q = d * 2.2;
            glm::dvec3 w(warp.fbm(q, 3), warp.fbm(q + glm::dvec3(5.2, 1.3, 2.8), 3),
                         warp.fbm(q + glm::dvec3(1.7, 9.2, 4.4), 3));
            double n1 = cloud.fbm(q + 0.8 * w, 5);
            double n2 = cloud.fbm(q * 1.7 + glm::dvec3(11.0, 3.0, 7.0) - 0.6 * w, 5);
            double magenta = std::pow(std::clamp(0.5 + 0.6 * n1, 0.0, 1.0), 3.0);
            double teal = std::pow(std::clamp(0.45 + 0.6 * n2, 0.0, 1.0), 3.0);
            glm::vec3 c = float(magenta) * glm::vec3(0.18f, 0.045f, 0.15f) +
                          float(teal) * glm::vec3(0.025f, 0.1f, 0.15f);

            double h = glm::dot(d, bandNormal);
            double band = std::exp(-h * h / (2.0 * 0.11 * 0.11));
            double clumps = 0.55 + 0.45 * dust.fbm(d * 4.0, 5);
            double laneOffset = h + 0.03 * dust.fbm(d * 5.0, 3);
            double lane = 1.0 - 0.55 * std::exp(-std::pow(laneOffset / 0.035, 2.0)) *
                                    (0.6 + 0.4 * dust.fbm(d * 9.0, 3));
            float milky = float(band * clumps * lane * 0.16);
            c += milky * glm::vec3(0.95f, 0.9f, 0.8f);
            low.at(x, y) = c + glm::vec3(0.004f, 0.004f, 0.008f);
        }
    return low;
}

} // namespace

void makeStarSphere(const std::string& assets) {
    const int width = 4096, height = 2048;
    Sky sky(width, height);
    Canvas low = backdrop(width / 4, height / 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sky.image().at(x, y) = low.sample((x + 0.5f) / width, (y + 0.5f) / height);

    const double pixelAngle = 2.0 * kPi / width;
    const glm::dvec3 bandNormal = glm::normalize(glm::dvec3(0.35, 0.85, 0.4));
    Rng rng(0x57A25);
    auto addStars = [&](int count, double minSize, double maxSize, double minB, double maxB,
                        bool nearBand, bool spikes) {
        for (int i = 0; i < count; ++i) {
            Star s;
            if (nearBand) {
                // A point on the band's great circle pushed off it by a normal spread.
                glm::dvec3 e1 = glm::normalize(glm::cross(bandNormal, glm::dvec3(1, 0, 0)));
                glm::dvec3 e2 = glm::cross(bandNormal, e1);
                double a = rng.uniform(0.0, 2.0 * kPi);
                double off = 0.09 * rng.gaussian();
                s.dir = glm::normalize(std::cos(a) * e1 + std::sin(a) * e2 + off * bandNormal);
            } else {
                s.dir = rng.direction();
            }
            double size = rng.uniform(minSize, maxSize);
            double t = rng.uniform();
            s.sigma = size * pixelAngle;
            s.brightness = minB + (maxB - minB) * t * t * t;
            s.tint = starTint(rng);
            s.spikes = spikes;
            sky.addStar(s);
        }
    };
    addStars(26000, 0.45, 0.65, 0.10, 0.55, false, false); // faint dust of stars
    addStars(14000, 0.45, 0.65, 0.08, 0.40, true, false);  // thicker along the band
    addStars(3500, 0.65, 1.10, 0.35, 1.00, false, false);
    addStars(260, 1.10, 1.80, 0.80, 1.60, false, false);
    addStars(18, 1.60, 2.20, 1.20, 2.00, false, true);
    sky.image().saveJpeg(assets + "/Models/StarSphere/StarSphere.jpg", 88);

    // Seen from inside: faces and normals point to the centre.
    Mesh mesh;
    mesh.ellipsoid(glm::vec3(0.0f), glm::vec3(1.0f), 64, 32, UvRect{}, true);
    MaterialDesc mat;
    mat.diffuse = glm::vec3(1.0f);
    mat.ambient = glm::vec3(1.0f);
    mat.specular = glm::vec3(0.0f);
    mat.shininess = 1.0f;
    mat.texture = "StarSphere.jpg";
    writeObj(assets + "/Models/StarSphere", "StarSphere", mesh, mat);
    reportModel("Models/StarSphere/StarSphere.obj", mesh);
}

} // namespace assetgen
