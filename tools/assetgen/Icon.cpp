#include "Canvas.h"
#include "Models.h"
#include "Noise.h"
#include "Rng.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace assetgen {
namespace {

// Every size is drawn from this one description at its own resolution rather than
// scaled down from the largest, so lines stay crisp. The smallest sizes leave out what
// would only blur (the far edges, halos, spikes) and show the ship larger. Positions
// are fractions of the icon's side, y up.
class IconPainter {
public:
    explicit IconPainter(int size)
        : size_(float(size)), small_(size <= 32), tiny_(size <= 16), colour_(size, size),
          alpha_(size, size) {}

    glm::vec2 at(glm::vec2 unit) const { return unit * size_; }
    float px(float unit) const { return unit * size_; }

    // The tile: a rounded square, the only opaque part of the icon.
    void tile() {
        float inset = std::floor(px(1.0f / 32.0f)), radius = px(0.19f);
        alpha_.fillRect(inset, inset, size_ - inset, size_ - inset, glm::vec3(1.0f), 1.0f, radius);
    }

    // Deep space: dark blue towards the rim, a violet haze with a little structure
    // from the noise, which is sampled in icon units so every size shows the same haze.
    void space() {
        Noise3 noise(0x1C0);
        const int n = colour_.width();
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                glm::vec2 u((x + 0.5f) / size_, (y + 0.5f) / size_);
                float r = glm::length(u - glm::vec2(0.42f, 0.62f));
                float haze = float(noise.fbm(glm::dvec3(u.x * 3.0, u.y * 3.0, 0.5), 4));
                float cloud = std::clamp(0.55f + 0.8f * haze - 1.1f * r, 0.0f, 1.0f);
                glm::vec3 c = glm::mix(glm::vec3(0.035f, 0.045f, 0.13f),
                                       glm::vec3(0.008f, 0.01f, 0.035f), std::min(1.0f, r * 1.4f));
                colour_.at(x, y) = c + cloud * glm::vec3(0.16f, 0.06f, 0.22f);
            }
    }

    // Stars smaller than a pixel fade instead of vanishing, so the small sizes keep a
    // sprinkle of the same sky.
    void stars() {
        Rng rng(0x57A75);
        for (int i = 0; i < 70; ++i) {
            float x = float(rng.uniform(0.06, 0.94));
            float y = float(rng.uniform(0.06, 0.94));
            float radius = float(rng.uniform(0.002, 0.007));
            float bright = float(rng.uniform(0.45, 1.0));
            double tint = rng.uniform();
            glm::vec3 c = tint < 0.25  ? glm::vec3(0.75f, 0.85f, 1.0f)
                          : tint < 0.8 ? glm::vec3(1.0f)
                                       : glm::vec3(1.0f, 0.9f, 0.7f);
            float r = px(radius), a = bright;
            if (r < 0.5f) {
                a *= (r / 0.5f) * (r / 0.5f);
                r = 0.5f;
            }
            colour_.fillCircle(at({x, y}), r, c, a);
        }
        // Two bright stars with spikes, as on the star sphere.
        if (tiny_)
            return;
        for (glm::vec2 s : {glm::vec2(0.82f, 0.84f), glm::vec2(0.12f, 0.2f)}) {
            float arm = px(0.06f), w = std::max(0.6f, px(0.006f));
            colour_.line(at(s) - glm::vec2(arm, 0), at(s) + glm::vec2(arm, 0), w, glm::vec3(1),
                         0.7f);
            colour_.line(at(s) - glm::vec2(0, arm), at(s) + glm::vec2(0, arm), w, glm::vec3(1),
                         0.7f);
            colour_.fillCircle(at(s), std::max(0.7f, px(0.012f)), glm::vec3(1.0f));
        }
    }

    // The play cube, seen from outside at a slant: each edge a glowing beam, the
    // three around the far corner dimmer.
    void cube() {
        const float yaw = -0.62f, pitch = 0.42f, distance = 5.5f, scale = 0.245f;
        const glm::vec2 centre(0.5f, 0.5f);
        glm::vec3 v[8];
        glm::vec2 screen[8];
        int farthest = 0;
        for (int i = 0; i < 8; ++i) {
            glm::vec3 p((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f);
            p = glm::vec3(p.x * std::cos(yaw) + p.z * std::sin(yaw), p.y,
                          -p.x * std::sin(yaw) + p.z * std::cos(yaw));
            p = glm::vec3(p.x, p.y * std::cos(pitch) - p.z * std::sin(pitch),
                          p.y * std::sin(pitch) + p.z * std::cos(pitch));
            v[i] = p;
            screen[i] = at(centre + scale * distance / (distance - p.z) * glm::vec2(p.x, p.y));
            if (p.z < v[farthest].z)
                farthest = i;
        }
        // Far edges first, so the near ones glow over them.
        for (int pass = 0; pass < 2; ++pass)
            for (int i = 0; i < 8; ++i)
                for (int bit : {1, 2, 4}) {
                    int j = i | bit;
                    if (j == i)
                        continue;
                    bool far = i == farthest || j == farthest;
                    if (far && small_)
                        continue;
                    if (far == (pass == 0))
                        beam(screen[i], screen[j], far ? 0.4f : 1.0f);
                }
    }

    // The ship: a white dart with a shaded right half, a cyan canopy and the engine's
    // fire streaming behind it as the game's trail does.
    void ship() {
        const glm::vec2 centre(0.55f, 0.46f);
        const float heading = 0.6f; // radians above +x: up and to the right
        const float scale = small_ ? 1.3f : 1.0f;
        glm::vec2 fwd = scale * glm::vec2(std::cos(heading), std::sin(heading));
        glm::vec2 side(-fwd.y, fwd.x);
        auto local = [&](float f, float s) { return at(centre + f * fwd + s * side); };

        // Exhaust: fire puffs shrinking and fading along a gentle curve.
        const int puffs = small_ ? 6 : 24;
        for (int i = puffs; i >= 0; --i) {
            float t = float(i) / float(puffs);
            glm::vec2 p = local(-0.08f - 0.3f * t, -0.04f * t * t);
            float r = std::max(0.5f, px(scale * (0.042f - 0.028f * t)));
            float fade = 1.0f - t;
            colour_.fillCircle(p, r * 1.8f, glm::vec3(1.0f, 0.35f, 0.08f), 0.12f * fade);
            colour_.fillCircle(p, r, glm::vec3(1.0f, 0.6f, 0.2f), (small_ ? 0.8f : 0.35f) * fade);
        }
        colour_.fillCircle(local(-0.07f, 0.0f), std::max(0.6f, px(0.03f)),
                           glm::vec3(1.0f, 0.95f, 0.8f));

        const glm::vec2 nose = local(0.2f, 0.0f), notch = local(-0.04f, 0.0f);
        const glm::vec2 left = local(-0.1f, 0.13f), right = local(-0.1f, -0.13f);
        // A dark rim keeps the hull apart from the bright beams behind it.
        glm::vec2 mid = (nose + notch + left + right) * 0.25f;
        std::vector<glm::vec2> rim;
        for (glm::vec2 c : {nose, left, notch, right})
            rim.push_back(c + glm::normalize(c - mid) * std::max(0.8f, px(0.02f)));
        colour_.fillPolygon(rim, glm::vec3(0.02f, 0.03f, 0.08f), 0.85f);
        colour_.fillPolygon({nose, left, notch}, glm::vec3(0.95f, 0.96f, 1.0f));
        colour_.fillPolygon({nose, notch, right}, glm::vec3(0.58f, 0.63f, 0.74f));
        colour_.fillCircle(local(0.07f, 0.012f), std::max(0.5f, px(0.022f)),
                           glm::vec3(0.3f, 0.8f, 1.0f));
    }

    void save(const std::string& path) const { colour_.savePng(path, alpha_); }

private:
    // A glowing beam like the cube's texture: a wide teal halo, a cyan glow and a
    // white-cyan core at least a pixel wide.
    void beam(glm::vec2 a, glm::vec2 b, float strength) {
        if (!small_) {
            colour_.line(a, b, px(0.075f), glm::vec3(0.0f, 0.5f, 0.6f), 0.2f * strength);
            colour_.line(a, b, px(0.032f), glm::vec3(0.1f, 0.8f, 0.95f), 0.45f * strength);
        }
        // Without the halo a pale core would read as grey: small sizes draw it cyan.
        glm::vec3 core = small_ ? glm::vec3(0.3f, 0.92f, 1.0f) : glm::vec3(0.85f, 1.0f, 1.0f);
        colour_.line(a, b, std::max(1.0f, px(0.012f)), core, 0.95f * strength);
    }

    float size_;
    bool small_, tiny_;
    Canvas colour_, alpha_;
};

} // namespace

void makeIcons(const std::string& themeDir) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        std::string dir =
            themeDir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            std::fprintf(stderr, "assetgen: cannot create %s: %s\n", dir.c_str(),
                         ec.message().c_str());
            std::exit(1);
        }
        IconPainter icon(size);
        icon.tile();
        icon.space();
        icon.stars();
        icon.cube();
        icon.ship();
        icon.save(dir + "/drifthold.png");
    }
}

} // namespace assetgen
