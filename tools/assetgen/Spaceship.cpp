#include "Canvas.h"
#include "Models.h"
#include "Noise.h"
#include "ObjWriter.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <functional>

namespace assetgen {
namespace {

constexpr double kTau = 6.283185307179586;
constexpr float kAtlas = 512.0f;

// The game lays the trail and emits particles at (-1, 0, 0) and prints the nose at
// (1.65, 0, 0), so the hull spans exactly those x values.
constexpr double kTail = -0.92; // end of the fuselage; the nozzle reaches on to -1
constexpr double kNose = 1.65;

// Atlas layout (pixels, y up).
const UvRect kFuselage = UvRect::pixels(0, 0, 256, 512, kAtlas);
const UvRect kWing = UvRect::pixels(256, 256, 512, 512, kAtlas);
const UvRect kFin = UvRect::pixels(256, 128, 384, 256, kAtlas);
const UvRect kCanopy = UvRect::pixels(384, 128, 512, 256, kAtlas);
const UvRect kNozzle = UvRect::pixels(256, 64, 384, 128, kAtlas);
const UvRect kGlow = UvRect::pixels(384, 64, 448, 128, kAtlas);
const UvRect kMetal = UvRect::pixels(448, 64, 512, 128, kAtlas);
const UvRect kGun = UvRect::pixels(256, 0, 512, 64, kAtlas);

// Wing outline: local x is the ship's x, local y the distance from the centre line.
const double kWingRootX0 = -0.62, kWingRootX1 = 0.42, kWingTipX0 = -0.78, kWingTipX1 = -0.50;
const double kWingRoot = 0.15, kWingTip = 1.0, kWingY = -0.03;
const double kFinX0 = -1.0, kFinX1 = -0.3, kFinY0 = 0.08, kFinY1 = 0.52;

// Fuselage cross-section at length fraction t: half width, half height.
glm::dvec2 fuselageRadii(double x) {
    double nose = std::max(0.0, (x - 0.1) / (kNose - 0.1));
    double f = 1.0 - nose * nose; // parabolic nose ending in a point
    double tail = std::max(0.0, (-0.6 - x) / (-0.6 - kTail));
    double g = 1.0 - 0.3 * tail * tail;
    return {0.24 * f * g, 0.17 * f * g};
}

// Superellipse ring point, angle a = 0 on top, pi/2 on the +z side.
glm::dvec3 fuselagePoint(double x, double a) {
    glm::dvec2 r = fuselageRadii(x);
    double c = std::cos(a), s = std::sin(a);
    const double p = 2.0 / 2.6;
    double y = r.y * (c < 0 ? -1.0 : 1.0) * std::pow(std::fabs(c), p);
    double z = r.x * (s < 0 ? -1.0 : 1.0) * std::pow(std::fabs(s), p);
    return {x, y, z};
}

Mesh buildHull() {
    Mesh ship;
    // Fuselage: s around from the top over the +z side, t from tail to nose tip.
    ship.surface(
        28, 36,
        [](double s, double t) { return fuselagePoint(kTail + (kNose - kTail) * t, kTau * s); },
        kFuselage);
    // Flat back plate behind the nozzle.
    ship.surface(
        28, 1,
        [](double s, double t) {
            glm::dvec3 rim = fuselagePoint(kTail, kTau * s);
            return glm::dvec3(kTail, rim.y * t, rim.z * t);
        },
        kMetal);

    // Engine nozzle about the x axis: glow disc, inner wall, lip, outer wall.
    ship.lathe(
        {0, 0, 0}, {1, 0, 0},
        {{-0.94f, 0.0f}, {-0.94f, 0.115f}, {-1.0f, 0.115f}, {-1.0f, 0.145f}, {-0.86f, 0.13f}}, 24,
        {kGlow, kNozzle, kMetal, kNozzle});

    // Swept wings: built for -z, mirrored to +z. Thin towards the tip.
    Mesh wing;
    std::vector<glm::vec3> outline = {
        {float(kWingRootX1), float(kWingRoot), 0.035f},
        {float(kWingTipX1), float(kWingTip), 0.015f},
        {float(kWingTipX0), float(kWingTip), 0.015f},
        {float(kWingRootX0), float(kWingRoot), 0.035f},
    };
    // Local y -> -z, local z (the top) -> +y.
    glm::mat4 place = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, float(kWingY), 0.0f));
    place = glm::rotate(place, glm::radians(-90.0f), glm::vec3(1, 0, 0));
    wing.slab(outline, place, kWing, kMetal);
    // Wingtip cannon along x.
    wing.lathe({0.0f, float(kWingY), -float(kWingTip)}, {1, 0, 0},
               {{-0.55f, 0.0f},
                {-0.55f, 0.032f},
                {0.0f, 0.032f},
                {0.1f, 0.02f},
                {0.22f, 0.02f},
                {0.22f, 0.0f}},
               12, {kGun});
    ship.append(wing);
    ship.append(wing, glm::scale(glm::mat4(1.0f), glm::vec3(1, 1, -1)));

    // Tail fin in the xy plane.
    ship.slab({{-0.82f, float(kFinY1), 0.012f},
               {float(kFinX0), float(kFinY1), 0.012f},
               {-0.88f, float(kFinY0), 0.025f},
               {float(kFinX1), float(kFinY0), 0.025f}},
              glm::mat4(1.0f), kFin, kMetal);

    // Canopy bubble sunk into the top of the hull, and two side intakes.
    ship.ellipsoid({0.62f, 0.12f, 0.0f}, {0.32f, 0.13f, 0.12f}, 24, 12, kCanopy);
    for (float side : {-1.0f, 1.0f})
        ship.box({-0.35f, -0.09f, side > 0 ? 0.17f : -0.27f},
                 {0.15f, 0.05f, side > 0 ? 0.27f : -0.17f}, kMetal);
    return ship;
}

// Paints `fn(s, t)` over a region, s and t in [0, 1] across its pixels.
void fillRegion(Canvas& img, const UvRect& r, const std::function<glm::vec3(float, float)>& fn) {
    int x0 = int(std::floor(r.u0 * kAtlas)) - 2, x1 = int(std::ceil(r.u1 * kAtlas)) + 2;
    int y0 = int(std::floor(r.v0 * kAtlas)) - 2, y1 = int(std::ceil(r.v1 * kAtlas)) + 2;
    for (int y = std::max(0, y0); y < std::min(int(kAtlas), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(int(kAtlas), x1); ++x) {
            float s = ((x + 0.5f) / kAtlas - r.u0) / (r.u1 - r.u0);
            float t = ((y + 0.5f) / kAtlas - r.v0) / (r.v1 - r.v0);
            img.at(x, y) = fn(s, t);
        }
}

// Pixel position of (s, t) inside a region.
glm::vec2 px(const UvRect& r, float s, float t) {
    glm::vec2 uv = r.at(s, t);
    return uv * kAtlas;
}

float smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

void paintHull(Canvas& img) {
    Noise3 noise(0x5417);
    const glm::vec3 hull(0.76f, 0.78f, 0.80f), belly(0.36f, 0.38f, 0.42f);
    const glm::vec3 red(0.78f, 0.12f, 0.09f), line(0.22f, 0.23f, 0.26f);
    auto fuselageT = [](double x) { return float((x - kTail) / (kNose - kTail)); };

    fillRegion(img, kFuselage, [&](float s, float t) {
        double a = kTau * s;
        glm::dvec3 q(std::cos(a) * 1.5, std::sin(a) * 1.5, t * 9.0);
        float grime = float(noise.fbm(q * 2.0, 4));
        float under = smooth(0.3f, 0.36f, s) * (1.0f - smooth(0.64f, 0.7f, s));
        glm::vec3 c = glm::mix(hull, belly, under) * (0.93f + 0.07f * grime);
        float x = float(kTail + (kNose - kTail) * t);
        float top = std::min(s, 1.0f - s);
        if (top < 0.035f && x < 0.3f)
            c = red; // spine stripe up to the canopy
        if (x > 1.28f)
            c = red * (0.95f + 0.05f * grime); // nose cone
        if (x > -0.56f && x < -0.46f)
            c = red; // tail band
        if (t < 0.07f)
            c *= 0.55f + 0.45f * (t / 0.07f); // soot near the engine
        return c;
    });
    // Panel seams around the hull and along it, with rivets.
    for (float x : {-0.62f, -0.25f, 0.15f, 0.55f, 1.0f, 1.28f}) {
        glm::vec2 a = px(kFuselage, 0, fuselageT(x)), b = px(kFuselage, 1, fuselageT(x));
        img.line(a, b, 1.5f, line, 0.8f);
        for (float s = 0.01f; s < 1.0f; s += 0.04f)
            img.fillCircle(px(kFuselage, s, fuselageT(x + 0.025f)), 1.1f, line, 0.5f);
    }
    for (float s : {0.17f, 0.33f, 0.67f, 0.83f})
        img.line(px(kFuselage, s, fuselageT(-0.62f)), px(kFuselage, s, fuselageT(1.0f)), 1.5f, line,
                 0.7f);
    for (float s : {0.24f, 0.76f}) // speed stripes ahead of the number
        img.line(px(kFuselage, s, fuselageT(0.55f)), px(kFuselage, s, fuselageT(1.2f)), 3.0f, red);

    // Side number, upright and readable on both sides: on +z the reading direction
    // (+x) runs up the region and the letters' up (+y) towards s = 0; on -z both turn.
    const float dot = 5.0f;
    // Beside the canopy, clear of the intakes and the wing roots.
    glm::vec2 plus = px(kFuselage, 0.21f, fuselageT(0.33f));
    img.text("07", plus + glm::vec2(3.5f * dot, -5.5f * dot), {0, dot}, {-dot, 0},
             glm::vec3(0.1f, 0.1f, 0.12f));
    glm::vec2 minus = px(kFuselage, 0.79f, fuselageT(0.33f));
    img.text("07", minus + glm::vec2(-3.5f * dot, 5.5f * dot), {0, -dot}, {dot, 0},
             glm::vec3(0.1f, 0.1f, 0.12f));

    // Wings: s along x (trailing edge side at 0), t from root to tip.
    fillRegion(img, kWing, [&](float s, float t) {
        float grime = float(noise.fbm({s * 6.0, t * 6.0, 3.7}, 4));
        glm::vec3 c = glm::vec3(0.64f, 0.66f, 0.69f) * (0.92f + 0.08f * grime);
        if (t > 0.8f && t < 0.9f)
            c = red;
        return c;
    });
    for (float t : {0.3f, 0.6f})
        img.line(px(kWing, 0, t), px(kWing, 1, t), 1.5f, line, 0.7f);
    for (float s : {0.35f, 0.6f})
        img.line(px(kWing, s, 0), px(kWing, s, 1), 1.5f, line, 0.7f);
    glm::vec2 roundel = px(kWing, float((-0.42 - kWingTipX0) / (kWingRootX1 - kWingTipX0)), 0.55f);
    img.fillCircle(roundel, 26.0f, glm::vec3(0.12f, 0.2f, 0.55f));
    img.fillCircle(roundel, 17.0f, glm::vec3(0.92f));
    img.fillCircle(roundel, 8.0f, red);

    fillRegion(img, kFin, [&](float s, float t) {
        float grime = float(noise.fbm({s * 5.0, t * 5.0, 8.1}, 4));
        glm::vec3 c = glm::vec3(0.66f, 0.68f, 0.71f) * (0.92f + 0.08f * grime);
        if (t > 0.78f)
            c = red;
        else if (t > 0.72f)
            c = glm::vec3(0.92f);
        return c;
    });
    img.line(px(kFin, 0, 0.4f), px(kFin, 1, 0.4f), 1.5f, line, 0.7f);

    // Canopy glass: s around from the front (+x), t from bottom to top.
    fillRegion(img, kCanopy, [&](float s, float t) {
        glm::vec3 c = glm::mix(glm::vec3(0.03f, 0.06f, 0.12f), glm::vec3(0.12f, 0.28f, 0.42f),
                               smooth(0.5f, 1.0f, t));
        float glint = std::exp(-std::pow((t - 0.8f) / 0.04f, 2.0f)) * smooth(0.15f, 0.22f, s) *
                      (1.0f - smooth(0.4f, 0.47f, s));
        return c + glint * glm::vec3(0.7f);
    });
    for (float s : {0.15f, 0.35f, 0.65f, 0.85f})
        img.line(px(kCanopy, s, 0.5f), px(kCanopy, s, 1.0f), 4.0f, glm::vec3(0.3f, 0.31f, 0.34f));
    img.line(px(kCanopy, 0, 0.56f), px(kCanopy, 1, 0.56f), 5.0f, glm::vec3(0.3f, 0.31f, 0.34f));

    fillRegion(img, kNozzle, [&](float s, float t) {
        float heat = std::sin(t * 3.1416f);
        glm::vec3 c =
            glm::mix(glm::vec3(0.22f, 0.22f, 0.24f), glm::vec3(0.32f, 0.24f, 0.36f), heat);
        return c * (0.9f + 0.1f * float(noise({s * 40.0, t * 10.0, 1.1})));
    });
    fillRegion(img, kGlow, [&](float, float t) {
        return glm::mix(glm::vec3(1.0f, 0.97f, 0.85f), glm::vec3(1.0f, 0.45f, 0.1f),
                        smooth(0.2f, 1.0f, t));
    });
    fillRegion(img, kMetal, [&](float s, float t) {
        return glm::vec3(0.45f, 0.46f, 0.49f) *
               (0.9f + 0.1f * float(noise.fbm({s * 8.0, t * 8.0, 4.4}, 3)));
    });
    fillRegion(img, kGun, [&](float, float t) {
        float band = (t > 0.55f && t < 0.62f) ? 1.0f : 0.0f;
        return glm::mix(glm::vec3(0.2f, 0.21f, 0.23f), glm::vec3(0.75f, 0.6f, 0.15f), band);
    });
}

} // namespace

void makeSpaceship(const std::string& assets) {
    Canvas img{int(kAtlas), int(kAtlas), glm::vec3(0.5f)};
    paintHull(img);
    img.saveJpeg(assets + "/Models/spaceship/spaceship_hull.jpg", 90);

    Mesh ship = buildHull();
    MaterialDesc mat;
    mat.diffuse = glm::vec3(0.9f);
    mat.ambient = glm::vec3(0.4f);
    mat.specular = glm::vec3(0.6f);
    mat.shininess = 48.0f;
    mat.texture = "spaceship_hull.jpg";
    writeObj(assets + "/Models/spaceship", "spaceshipTextured", ship, mat);
    reportModel("Models/spaceship/spaceshipTextured.obj", ship);
}

} // namespace assetgen
