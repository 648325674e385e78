#include "Canvas.h"
#include "Models.h"
#include "Noise.h"
#include "ObjWriter.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace assetgen {
namespace {

constexpr float kAtlas = 512.0f;
constexpr double kTau = 6.283185307179586;

UvRect region(float x0, float y0, float x1, float y1) {
    return UvRect::pixels(x0, y0, x1, y1, kAtlas);
}

// Paints `fn(s, t)` over a region and its inset margin.
void fillRegion(Canvas& img, const UvRect& r, const std::function<glm::vec3(float, float)>& fn) {
    int x0 = int(std::floor(r.u0 * kAtlas)) - 2, x1 = int(std::ceil(r.u1 * kAtlas)) + 2;
    int y0 = int(std::floor(r.v0 * kAtlas)) - 2, y1 = int(std::ceil(r.v1 * kAtlas)) + 2;
    for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x) {
            float s = ((x + 0.5f) / kAtlas - r.u0) / (r.u1 - r.u0);
            float t = ((y + 0.5f) / kAtlas - r.v0) / (r.v1 - r.v0);
            img.at(x, y) = fn(s, t);
        }
}

glm::vec2 px(const UvRect& r, float s, float t) {
    return r.at(s, t) * kAtlas;
}

float smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float fract(float x) {
    return x - std::floor(x);
}

MaterialDesc junkMaterial(const std::string& texture, float shininess) {
    MaterialDesc m;
    m.diffuse = glm::vec3(0.9f);
    m.ambient = glm::vec3(0.4f);
    m.specular = glm::vec3(0.4f);
    m.shininess = shininess;
    m.texture = texture;
    return m;
}

} // namespace

// An oil drum standing on y, about one unit tall, with rolled rims, two rolling hoops
// and recessed lids, painted with hazard stripes.
void makeOilDrum(const std::string& assets) {
    const UvRect side = region(0, 0, 512, 320);
    const UvRect lid = region(0, 320, 192, 512);
    const UvRect rim = region(192, 320, 512, 512);

    Canvas img{int(kAtlas), int(kAtlas)};
    Noise3 noise(0xD2);
    const glm::vec3 yellow(0.95f, 0.72f, 0.08f), black(0.06f, 0.06f, 0.07f);
    const glm::vec3 bare(0.42f, 0.42f, 0.44f);
    auto worn = [&](glm::vec3 paint, const glm::dvec3& p) {
        float scratch = float(noise.ridged(p * 3.0, 4));
        float dirt = float(noise.fbm(p * 2.0 + glm::dvec3(4.0), 4));
        glm::vec3 c = glm::mix(paint, bare, smooth(0.86f, 0.93f, scratch));
        return c * (0.88f + 0.1f * dirt);
    };
    // Side: s around (seamless, the noise is sampled on the cylinder), t is the height
    // from y = -0.5 to 0.5.
    fillRegion(img, side, [&](float s, float t) {
        double a = kTau * s;
        glm::dvec3 p(std::cos(a), std::sin(a), t * 2.4);
        float y = t - 0.5f;
        float ay = std::fabs(y);
        glm::vec3 paint = yellow;
        if (ay > 0.18f && ay < 0.455f) {
            // 14 diagonal stripes around, so the pattern closes on itself.
            paint = fract(s * 14.0f + t * 3.0f) < 0.5f ? yellow : black;
        } else if (ay >= 0.12f && ay <= 0.18f) {
            paint = black; // the rolling hoops
        }
        return worn(paint, p);
    });
    for (float s : {0.25f, 0.75f}) {
        glm::vec2 c = px(side, s, 0.5f);
        img.text("HAZARD", c + glm::vec2(-35.0f * 2.2f * 0.5f * 1.0f, -7.0f * 1.6f), {2.0f, 0},
                 {0, 3.2f}, black);
        img.text("07", c + glm::vec2(-11.0f, -30.0f), {2.0f, 0}, {0, 1.8f}, black);
    }
    // Lids: s around, t from the centre out; painted in the lid's own plane.
    fillRegion(img, lid, [&](float s, float t) {
        double a = kTau * s;
        glm::dvec2 q(std::cos(a) * t, std::sin(a) * t);
        glm::dvec3 p(q.x * 3.0, q.y * 3.0, 9.0);
        glm::vec3 c = worn(glm::vec3(0.78f, 0.62f, 0.12f), p);
        float r = float(t);
        if (std::fabs(r - 0.8f) < 0.03f)
            c *= 0.7f; // embossed ring
        for (glm::dvec2 bung : {glm::dvec2(0.55, 0.0), glm::dvec2(-0.5, 0.2)}) {
            double d = glm::length(q - bung);
            if (d < 0.13)
                c = d < 0.1 ? glm::vec3(0.3f, 0.3f, 0.32f) : glm::vec3(0.15f);
        }
        return c;
    });
    fillRegion(img, rim, [&](float s, float t) {
        return glm::vec3(0.3f, 0.3f, 0.32f) *
               (0.85f + 0.15f * float(noise.fbm({s * 20.0, t * 4.0, 2.0}, 3)));
    });
    img.saveJpeg(assets + "/Models/SpaceJunk/oildrum.jpg", 88);

    // Profile up the y axis as (height, radius), faces out; lids are recessed.
    enum Kind { Lid, Rim, Side };
    struct P {
        float y, r;
        Kind next; // what the segment from this point on is
    };
    const std::vector<P> profile = {
        {-0.47f, 0.0f, Lid},   {-0.47f, 0.40f, Rim},   {-0.5f, 0.40f, Rim},
        {-0.5f, 0.43f, Rim},   {-0.46f, 0.43f, Rim},   {-0.45f, 0.42f, Side},
        {-0.18f, 0.42f, Side}, {-0.17f, 0.435f, Side}, {-0.13f, 0.435f, Side},
        {-0.12f, 0.42f, Side}, {0.12f, 0.42f, Side},   {0.13f, 0.435f, Side},
        {0.17f, 0.435f, Side}, {0.18f, 0.42f, Side},   {0.45f, 0.42f, Rim},
        {0.46f, 0.43f, Rim},   {0.5f, 0.43f, Rim},     {0.5f, 0.40f, Rim},
        {0.47f, 0.40f, Lid},   {0.47f, 0.0f, Lid},
    };
    std::vector<glm::vec2> points;
    std::vector<UvRect> rects;
    for (size_t i = 0; i < profile.size(); ++i) {
        points.push_back({profile[i].y, profile[i].r});
        if (i + 1 == profile.size())
            break;
        const P& a = profile[i];
        const P& b = profile[i + 1];
        if (a.next == Side) {
            // The side texture's t is the height, whichever band it is.
            rects.push_back({side.u0, side.v0 + (side.v1 - side.v0) * (a.y + 0.5f), side.u1,
                             side.v0 + (side.v1 - side.v0) * (b.y + 0.5f)});
        } else if (a.next == Lid) {
            // t from the centre out on both lids.
            bool outward = b.r > a.r;
            rects.push_back(outward ? lid : UvRect{lid.u0, lid.v1, lid.u1, lid.v0});
        } else {
            rects.push_back(rim);
        }
    }
    Mesh mesh;
    mesh.lathe({0, 0, 0}, {0, 1, 0}, points, 32, rects);
    writeObj(assets + "/Models/SpaceJunk", "oildrum", mesh, junkMaterial("oildrum.jpg", 24.0f));
    reportModel("Models/SpaceJunk/oildrum.obj", mesh);
}

// A bevelled steel deck plate, 1 x 0.8 units and 0.08 thick, with rivets, bolts and
// stencilled markings.
void makeSlab(const std::string& assets) {
    const UvRect plate = region(0, 128, 512, 512);
    const UvRect edge = region(0, 0, 512, 128);

    Canvas img{int(kAtlas), int(kAtlas)};
    Noise3 noise(0x51AB);
    fillRegion(img, plate, [&](float s, float t) {
        float brushed = float(noise({s * 3.0, t * 160.0, 0.5}));
        float dirt = float(noise.fbm({s * 4.0, t * 3.2, 1.5}, 5));
        float rust = smooth(0.35f, 0.6f, float(noise.fbm({s * 2.5, t * 2.0, 7.5}, 5)));
        glm::vec3 c = glm::vec3(0.55f, 0.56f, 0.58f) * (0.9f + 0.05f * brushed + 0.08f * dirt);
        c = glm::mix(c, glm::vec3(0.45f, 0.25f, 0.12f), 0.8f * rust);
        // Painted bevel: light along the top and left edges, dark along the others.
        float e = std::min({s, t, 1.0f - s, 1.0f - t});
        if (e < 0.04f)
            c *= (s < t && s < 1.0f - t) || (1.0f - t < s && 1.0f - t < 1.0f - s) ? 1.25f : 0.65f;
        return c;
    });
    glm::vec2 lo = px(plate, 0, 0), hi = px(plate, 1, 1);
    img.strokeRect(lo.x + 30, lo.y + 30, hi.x - 30, hi.y - 30, 2.0f, glm::vec3(0.25f), 0.8f);
    for (float x = lo.x + 30; x <= hi.x - 29; x += 28.0f)
        for (float y : {lo.y + 18.0f, hi.y - 18.0f}) {
            img.fillCircle({x, y}, 3.2f, glm::vec3(0.3f));
            img.fillCircle({x - 0.8f, y + 0.8f}, 1.6f, glm::vec3(0.8f));
        }
    for (float y = lo.y + 30; y <= hi.y - 29; y += 28.0f)
        for (float x : {lo.x + 18.0f, hi.x - 18.0f}) {
            img.fillCircle({x, y}, 3.2f, glm::vec3(0.3f));
            img.fillCircle({x - 0.8f, y + 0.8f}, 1.6f, glm::vec3(0.8f));
        }
    for (glm::vec2 c : {glm::vec2(lo.x + 48, lo.y + 48), glm::vec2(hi.x - 48, lo.y + 48),
                        glm::vec2(lo.x + 48, hi.y - 48), glm::vec2(hi.x - 48, hi.y - 48)}) {
        img.fillCircle(c, 9.0f, glm::vec3(0.22f));
        img.fillCircle(c, 6.0f, glm::vec3(0.62f));
        img.line(c - glm::vec2(4, 0), c + glm::vec2(4, 0), 2.0f, glm::vec3(0.2f));
    }
    glm::vec3 stencil(0.9f, 0.75f, 0.1f);
    img.text("A-3", {lo.x + 180, lo.y + 170}, {9.0f, 0}, {0, 9.0f}, stencil, 0.85f);
    img.text("DECK PLATE", {lo.x + 166, lo.y + 130}, {3.0f, 0}, {0, 3.0f}, glm::vec3(0.9f), 0.7f);
    for (int i = 0; i < 6; ++i) {
        glm::vec2 a(lo.x + 90 + i * 60.0f, lo.y + 70), b = a + glm::vec2(40, 40);
        img.line(a, b, 14.0f, stencil, 0.8f); // hazard strip
    }
    fillRegion(img, edge, [&](float s, float t) {
        float n = float(noise.fbm({s * 30.0, t * 3.0, 3.3}, 3));
        return glm::vec3(0.38f, 0.39f, 0.41f) * (0.85f + 0.12f * n);
    });
    img.saveJpeg(assets + "/Models/SpaceJunk/slab.jpg", 88);

    // Rings of the bevelled box from top to bottom: inset top, full upper, full lower,
    // inset bottom. Each ring runs counter-clockwise seen from +y.
    const float hx = 0.5f, hy = 0.04f, hz = 0.4f, b = 0.025f;
    auto ring = [](float x, float y, float z) {
        return std::vector<glm::vec3>{{-x, y, z}, {x, y, z}, {x, y, -z}, {-x, y, -z}};
    };
    std::vector<std::vector<glm::vec3>> rings = {ring(hx - b, hy, hz - b), ring(hx, hy - b, hz),
                                                 ring(hx, -hy + b, hz), ring(hx - b, -hy, hz - b)};
    Mesh mesh;
    const auto& top = rings.front();
    mesh.quad(top[0], top[1], top[2], top[3], plate);
    const auto& bottom = rings.back();
    mesh.quad(bottom[3], bottom[2], bottom[1], bottom[0], plate);
    for (size_t r = 0; r + 1 < rings.size(); ++r)
        for (int i = 0; i < 4; ++i) {
            int j = (i + 1) % 4;
            mesh.quad(rings[r + 1][i], rings[r + 1][j], rings[r][j], rings[r][i], edge);
        }
    writeObj(assets + "/Models/SpaceJunk", "slab", mesh, junkMaterial("slab.jpg", 32.0f));
    reportModel("Models/SpaceJunk/slab.obj", mesh);
}

// A small satellite: foil-wrapped body, two solar wings on arms along z, a dish with its
// feed on +x and a whip antenna on top.
void makeSatellite(const std::string& assets) {
    const UvRect foil = region(0, 256, 256, 512);
    const UvRect cells = region(256, 256, 512, 512);
    const UvRect dish = region(0, 128, 256, 256);
    const UvRect metal = region(256, 128, 512, 256);
    const UvRect dark = region(0, 0, 256, 128);
    const UvRect accent = region(256, 0, 512, 128);

    Canvas img{int(kAtlas), int(kAtlas)};
    Noise3 noise(0x5A7);
    fillRegion(img, foil, [&](float s, float t) {
        float crinkle = float(noise.ridged({s * 9.0, t * 9.0, 0.7}, 4));
        float tone = float(noise.fbm({s * 3.0, t * 3.0, 5.0}, 3));
        glm::vec3 c = glm::vec3(0.85f, 0.62f, 0.18f) * (0.6f + 0.55f * crinkle + 0.1f * tone);
        return c;
    });
    img.strokeRect(px(foil, 0, 0).x + 10, px(foil, 0, 0).y + 10, px(foil, 1, 1).x - 10,
                   px(foil, 1, 1).y - 10, 3.0f, glm::vec3(0.35f, 0.25f, 0.1f), 0.8f);
    fillRegion(img, cells, [&](float s, float t) {
        // 6 x 10 cells with silver grid lines and a faint sheen.
        float cs = fract(s * 6.0f), ct = fract(t * 10.0f);
        bool gridLine = cs < 0.06f || cs > 0.94f || ct < 0.08f || ct > 0.92f;
        glm::vec3 cell =
            glm::mix(glm::vec3(0.05f, 0.1f, 0.35f), glm::vec3(0.12f, 0.22f, 0.55f), 0.5f * (s + t));
        if (std::fabs(cs - 0.5f) < 0.02f)
            cell *= 1.4f; // busbar
        return gridLine ? glm::vec3(0.7f, 0.72f, 0.75f) : cell;
    });
    fillRegion(img, dish, [&](float s, float t) {
        float n = float(noise.fbm({s * 5.0, t * 5.0, 11.0}, 3));
        glm::vec3 c = glm::vec3(0.86f, 0.87f, 0.88f) * (0.92f + 0.06f * n);
        if (std::fabs(t - 0.5f) < 0.03f || std::fabs(t - 0.85f) < 0.02f)
            c *= 0.75f; // panel seams of the dish
        return c;
    });
    fillRegion(img, metal, [&](float s, float t) {
        float n = float(noise.fbm({s * 8.0, t * 8.0, 13.0}, 3));
        return glm::vec3(0.55f, 0.56f, 0.58f) * (0.88f + 0.1f * n);
    });
    fillRegion(img, dark, [&](float s, float t) {
        float n = float(noise.fbm({s * 8.0, t * 8.0, 17.0}, 3));
        return glm::vec3(0.14f, 0.14f, 0.15f) * (0.9f + 0.1f * n);
    });
    fillRegion(img, accent, [&](float s, float) {
        return fract(s * 4.0f) < 0.5f ? glm::vec3(0.9f, 0.35f, 0.08f) : glm::vec3(0.92f);
    });
    img.saveJpeg(assets + "/Models/SpaceJunk/satellite.jpg", 88);

    Mesh mesh;
    mesh.box(glm::scale(glm::mat4(1.0f), glm::vec3(0.3f, 0.36f, 0.3f)),
             {foil, foil, metal, metal, foil, foil});
    // Solar wings.
    for (float side : {-1.0f, 1.0f}) {
        mesh.cylinder({0.0f, 0.0f, 0.15f * side}, {0.0f, 0.0f, 0.25f * side}, 0.015f, 0.015f, 8,
                      dark);
        glm::mat4 m = glm::translate(glm::mat4(1.0f), {0.0f, 0.0f, 0.445f * side});
        mesh.box(glm::scale(m, glm::vec3(0.34f, 0.012f, 0.39f)),
                 {metal, metal, cells, cells, metal, metal});
        mesh.box(glm::scale(m, glm::vec3(0.36f, 0.02f, 0.02f)), dark); // hinge bar
    }
    // Dish on +x: short mount, a paraboloid shell (outside, lip, inside) and the feed.
    const float base = 0.17f, radius = 0.2f, k = 2.0f, shell = 0.008f;
    mesh.cylinder({0.15f, 0, 0}, {base + 0.01f, 0, 0}, 0.04f, 0.04f, 12, dark);
    std::vector<glm::vec2> outer, inner;
    for (int i = 0; i <= 8; ++i) {
        float r = radius * i / 8.0f;
        outer.push_back({base + k * r * r, r});
    }
    for (int i = 8; i >= 0; --i) {
        float r = radius * i / 8.0f;
        inner.push_back({base + shell + k * r * r, r});
    }
    mesh.lathe({0, 0, 0}, {1, 0, 0}, outer, 24, {dish}, true);
    mesh.lathe({0, 0, 0}, {1, 0, 0}, {outer.back(), inner.front()}, 24, {metal});
    mesh.lathe({0, 0, 0}, {1, 0, 0}, inner, 24, {dish}, true);
    const float focus = base + 1.0f / (4.0f * k);
    mesh.cylinder({base + shell, 0, 0}, {focus, 0, 0}, 0.008f, 0.008f, 6, dark);
    mesh.ellipsoid({focus, 0, 0}, glm::vec3(0.018f), 8, 6, accent);
    // Whip antenna and a thruster block underneath.
    mesh.cylinder({-0.08f, 0.18f, 0.06f}, {-0.08f, 0.42f, 0.06f}, 0.006f, 0.004f, 6, metal);
    mesh.ellipsoid({-0.08f, 0.42f, 0.06f}, glm::vec3(0.012f), 8, 6, accent);
    mesh.box({-0.08f, -0.24f, -0.08f}, {0.08f, -0.18f, 0.08f}, dark);
    mesh.cylinder({0.0f, -0.24f, 0.0f}, {0.0f, -0.29f, 0.0f}, 0.03f, 0.045f, 12, dark, nullptr,
                  &dark);
    writeObj(assets + "/Models/SpaceJunk", "satellite", mesh, junkMaterial("satellite.jpg", 40.0f));
    reportModel("Models/SpaceJunk/satellite.obj", mesh);
}

} // namespace assetgen
