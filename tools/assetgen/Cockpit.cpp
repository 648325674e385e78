#include "Canvas.h"
#include "Models.h"
#include "Noise.h"
#include "ObjWriter.h"

#include <cmath>

namespace assetgen {
namespace {

// The cockpit view looks from the model's origin along +x, +y up and +z to the right,
// with a 60 degree vertical field of view at 4:3 and the near plane about 0.45 units
// out. A point at depth x sits at the edge of the view at |y| = 0.577 x, |z| = 0.77 x.
constexpr float kHalfH = 0.577f, kHalfW = 0.77f;

// Point at depth x and normalised screen position (-1..1 each way).
glm::vec3 onScreen(float x, float right, float up) {
    return {x, up * kHalfH * x, right * kHalfW * x};
}

constexpr float kW = 512.0f, kH = 256.0f;
UvRect region(float x0, float y0, float x1, float y1) {
    const float inset = 2.0f;
    return {(x0 + inset) / kW, (y0 + inset) / kH, (x1 - inset) / kW, (y1 - inset) / kH};
}
const UvRect kFrame = region(0, 0, 128, 128);
const UvRect kDashFront = region(128, 0, 384, 128);
const UvRect kGlare = region(384, 0, 512, 128);
const UvRect kPanel = region(0, 128, 512, 256);

void tube(Mesh& m, const glm::vec3& a, const glm::vec3& b, float r) {
    m.cylinder(a, b, r, r, 10, kFrame);
}

Mesh buildCockpit() {
    Mesh m;
    // Instrument panel sloping up and away, its lower edge at the bottom of the view.
    // Every panel is a rectangle, so its texture maps without shear.
    const float nearX = 0.56f, farX = 0.78f, halfWidth = 0.8f;
    glm::vec3 nl(nearX, -0.31f, -halfWidth), nr(nearX, -0.31f, halfWidth);
    glm::vec3 fl(farX, -0.235f, -halfWidth), fr(farX, -0.235f, halfWidth);
    m.quad(nl, nr, fr, fl, kPanel);
    m.quad({nearX, -0.45f, -halfWidth}, {nearX, -0.45f, halfWidth}, nr, nl, kDashFront);
    m.quad(fl, fr, {0.86f, -0.225f, halfWidth}, {0.86f, -0.225f, -halfWidth}, kGlare);

    // Canopy frame: slanted side pillars from the panel to the top, an arch across the
    // top edge, rails running out of view and a spine along the canopy roof.
    for (float side : {-1.0f, 1.0f}) {
        glm::vec3 foot = onScreen(0.8f, 0.82f * side, -0.5f);
        glm::vec3 head = onScreen(0.62f, 0.55f * side, 0.95f);
        tube(m, foot, head, 0.022f);
        tube(m, head, {0.58f, 0.32f, 0.5f * side}, 0.02f);
        m.ellipsoid(head, glm::vec3(0.03f), 10, 6, kFrame);
    }
    const int archSegments = 6;
    for (int i = 0; i < archSegments; ++i) {
        auto arch = [](float k) {
            float right = -0.55f + 1.1f * k;
            return onScreen(0.62f, right, 0.95f + 0.05f * (1.0f - 4.0f * (k - 0.5f) * (k - 0.5f)));
        };
        tube(m, arch(float(i) / archSegments), arch(float(i + 1) / archSegments), 0.02f);
    }
    tube(m, onScreen(0.62f, 0.0f, 1.0f), onScreen(1.25f, 0.0f, 0.86f), 0.016f);

    // Only the faces the pilot sees: back faces would be culled anyway.
    m.keepFacing(glm::vec3(0.0f));
    return m;
}

void paintCockpit(Canvas& img) {
    Noise3 noise(0xC0C7);
    auto fill = [&](const UvRect& r, auto fn) {
        for (int y = int(r.v0 * kH) - 2; y < int(r.v1 * kH) + 2; ++y)
            for (int x = int(r.u0 * kW) - 2; x < int(r.u1 * kW) + 2; ++x)
                if (x >= 0 && y >= 0 && x < int(kW) && y < int(kH))
                    img.at(x, y) = fn(x, y);
    };
    fill(kFrame, [&](int x, int y) {
        float n = float(noise.fbm({x / 20.0, y / 20.0, 0.3}, 3));
        return glm::vec3(0.30f, 0.32f, 0.36f) * (0.9f + 0.1f * n);
    });
    fill(kGlare, [&](int x, int y) {
        float n = float(noise.fbm({x / 10.0, y / 10.0, 2.3}, 3));
        return glm::vec3(0.08f, 0.085f, 0.09f) * (0.9f + 0.1f * n);
    });
    fill(kDashFront, [&](int x, int y) {
        float n = float(noise.fbm({x / 16.0, y / 16.0, 5.1}, 3));
        glm::vec3 c = glm::vec3(0.16f, 0.17f, 0.19f) * (0.9f + 0.1f * n);
        if ((y / 6) % 3 == 0 && x % 64 > 20 && x % 64 < 44)
            c *= 0.5f; // vents
        return c;
    });

    // The view shows about the middle two thirds of the panel across the whole screen,
    // so it is drawn three times as wide and squeezed, and round gauges stay round. The
    // instruments keep to the middle half, which stays in view.
    const int squeeze = 3;
    Canvas panel(512 * squeeze, 128, glm::vec3(0.11f, 0.12f, 0.14f));
    const float cx = 0.5f * panel.width();
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < panel.width(); ++x)
            panel.at(x, y) *= 0.9f + 0.1f * float(noise.fbm({x / 24.0, y / 24.0, 7.7}, 3));
    panel.fillRect(0, 118, float(panel.width()), 128, glm::vec3(0.32f, 0.33f, 0.36f));
    const glm::vec3 white(0.9f), amber(1.0f, 0.7f, 0.15f), green(0.25f, 1.0f, 0.4f);
    auto gauge = [&](glm::vec2 c, float r, float needle, const char* label) {
        panel.fillRect(c.x - r - 8, c.y - r - 16, c.x + r + 8, c.y + r + 8,
                       glm::vec3(0.07f, 0.075f, 0.085f), 1.0f, 6.0f);
        panel.fillCircle(c, r, glm::vec3(0.02f, 0.03f, 0.04f));
        panel.ring(c, r, 2.0f, glm::vec3(0.55f));
        for (int i = 0; i <= 8; ++i) {
            float a = 3.927f - 0.9817f * i; // 225 degrees down to -45
            glm::vec2 d(std::cos(a), std::sin(a));
            panel.line(c + d * (r * 0.75f), c + d * (r * 0.92f), 2.0f, i >= 7 ? amber : white);
        }
        glm::vec2 d(std::cos(needle), std::sin(needle));
        panel.line(c, c + d * (r * 0.8f), 2.5f, amber);
        panel.fillCircle(c, 3.0f, glm::vec3(0.6f));
        float w = 6.0f * 2.0f * float(std::string(label).size());
        panel.text(label, {c.x - 0.5f * w, c.y - r - 14}, {2.0f, 0}, {0, 1.2f}, white, 0.8f);
    };
    gauge({cx - 312, 62}, 36, 2.4f, "FUEL");
    gauge({cx - 212, 62}, 36, 1.1f, "PWR");
    gauge({cx + 212, 62}, 36, 0.3f, "SHLD");
    gauge({cx + 312, 62}, 36, 1.9f, "TEMP");

    // Radar in the middle: green rings, cross and a sweep with two contacts.
    glm::vec2 rc(cx, 54);
    panel.fillRect(rc.x - 80, 4, rc.x + 80, 114, glm::vec3(0.06f, 0.065f, 0.075f), 1.0f, 8.0f);
    panel.fillCircle(rc, 44, glm::vec3(0.0f, 0.09f, 0.03f));
    for (float r : {15.0f, 30.0f, 44.0f})
        panel.ring(rc, r, 1.5f, green, 0.6f);
    panel.line(rc - glm::vec2(44, 0), rc + glm::vec2(44, 0), 1.0f, green, 0.5f);
    panel.line(rc - glm::vec2(0, 44), rc + glm::vec2(0, 44), 1.0f, green, 0.5f);
    panel.line(rc, rc + glm::vec2(31, 31), 2.5f, green);
    panel.fillCircle(rc + glm::vec2(-22, 18), 3.5f, amber);
    panel.fillCircle(rc + glm::vec2(28, -12), 3.5f, green);

    // Screens and button rows either side of the radar.
    for (float x0 : {cx - 152, cx + 82}) {
        panel.fillRect(x0, 30, x0 + 70, 100, glm::vec3(0.02f, 0.06f, 0.12f), 1.0f, 4.0f);
        for (int i = 0; i < 5; ++i) {
            float h = 12.0f + float((i * 37 + int(x0)) % 45);
            panel.fillRect(x0 + 8 + i * 12, 38, x0 + 16 + i * 12, 38 + h,
                           glm::vec3(0.2f, 0.6f, 1.0f), 0.9f);
        }
    }
    const glm::vec3 buttons[4] = {{0.9f, 0.15f, 0.1f}, amber, green, {0.3f, 0.6f, 1.0f}};
    for (int i = 0; i < 8; ++i) {
        panel.fillRect(cx - 362 + i * 24, 108, cx - 348 + i * 24, 115, buttons[i % 4], 1.0f, 2.0f);
        panel.fillRect(cx + 174 + i * 24, 108, cx + 188 + i * 24, 115, buttons[(i + 2) % 4], 1.0f,
                       2.0f);
    }
    panel.text("DRIFTHOLD", {cx - 43, 102}, {1.6f, 0}, {0, 1.1f}, glm::vec3(0.6f), 0.8f);

    int px0 = int(kPanel.u0 * kW) - 2, py0 = int(kPanel.v0 * kH) - 2;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 512; ++x) {
            glm::vec3 sum(0.0f);
            for (int k = 0; k < squeeze; ++k)
                sum += panel.at(squeeze * x + k, y);
            img.at(px0 + x, py0 + y) = sum / float(squeeze);
        }
}

} // namespace

void makeCockpit(const std::string& assets) {
    Canvas img{int(kW), int(kH)};
    paintCockpit(img);
    img.saveJpeg(assets + "/Models/spaceship/cockpit.jpg", 90);

    Mesh m = buildCockpit();
    MaterialDesc mat;
    mat.diffuse = glm::vec3(0.85f);
    mat.ambient = glm::vec3(0.6f);
    mat.specular = glm::vec3(0.25f);
    mat.emissive = glm::vec3(0.08f);
    mat.shininess = 16.0f;
    mat.texture = "cockpit.jpg";
    writeObj(assets + "/Models/spaceship", "cockpit", m, mat);
    reportModel("Models/spaceship/cockpit.obj", m);
}

} // namespace assetgen
