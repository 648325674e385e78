#include "Canvas.h"

#include "Font.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace assetgen {

Canvas::Canvas(int width, int height, const glm::vec3& fill)
    : w_(width), h_(height), px_(size_t(width) * height, fill) {}

glm::vec3 Canvas::sample(float u, float v) const {
    float fx = u * w_ - 0.5f, fy = v * h_ - 0.5f;
    float x0f = std::floor(fx), y0f = std::floor(fy);
    float tx = fx - x0f, ty = fy - y0f;
    int x0 = ((int(x0f) % w_) + w_) % w_, x1 = (x0 + 1) % w_;
    int y0 = std::clamp(int(y0f), 0, h_ - 1), y1 = std::clamp(int(y0f) + 1, 0, h_ - 1);
    glm::vec3 a = glm::mix(at(x0, y0), at(x1, y0), tx);
    glm::vec3 b = glm::mix(at(x0, y1), at(x1, y1), tx);
    return glm::mix(a, b, ty);
}

void Canvas::blend(int x, int y, const glm::vec3& colour, float alpha) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    glm::vec3& p = at(x, y);
    p = glm::mix(p, colour, alpha);
}

template <class SignedDistance>
void Canvas::paint(float x0, float y0, float x1, float y1, const glm::vec3& colour, float alpha,
                   SignedDistance sd) {
    int ix0 = std::max(0, int(std::floor(std::min(x0, x1))) - 1);
    int iy0 = std::max(0, int(std::floor(std::min(y0, y1))) - 1);
    int ix1 = std::min(w_ - 1, int(std::ceil(std::max(x0, x1))) + 1);
    int iy1 = std::min(h_ - 1, int(std::ceil(std::max(y0, y1))) + 1);
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x) {
            float cover = std::clamp(0.5f - sd(glm::vec2(x + 0.5f, y + 0.5f)), 0.0f, 1.0f);
            if (cover > 0.0f)
                blend(x, y, colour, cover * alpha);
        }
}

void Canvas::fillRect(float x0, float y0, float x1, float y1, const glm::vec3& colour, float alpha,
                      float cornerRadius) {
    glm::vec2 c(0.5f * (x0 + x1), 0.5f * (y0 + y1));
    glm::vec2 half(0.5f * std::fabs(x1 - x0), 0.5f * std::fabs(y1 - y0));
    float r = std::min(cornerRadius, std::min(half.x, half.y));
    paint(x0, y0, x1, y1, colour, alpha, [&](glm::vec2 p) {
        glm::vec2 d = glm::abs(p - c) - half + r;
        return glm::length(glm::max(d, 0.0f)) + std::min(std::max(d.x, d.y), 0.0f) - r;
    });
}

void Canvas::strokeRect(float x0, float y0, float x1, float y1, float lineWidth,
                        const glm::vec3& colour, float alpha) {
    glm::vec2 c(0.5f * (x0 + x1), 0.5f * (y0 + y1));
    glm::vec2 half(0.5f * std::fabs(x1 - x0), 0.5f * std::fabs(y1 - y0));
    float e = 0.5f * lineWidth;
    paint(c.x - half.x - e, c.y - half.y - e, c.x + half.x + e, c.y + half.y + e, colour, alpha,
          [&](glm::vec2 p) {
              glm::vec2 d = glm::abs(p - c) - half;
              float box = glm::length(glm::max(d, 0.0f)) + std::min(std::max(d.x, d.y), 0.0f);
              return std::fabs(box) - e;
          });
}

void Canvas::fillCircle(const glm::vec2& centre, float radius, const glm::vec3& colour,
                        float alpha) {
    paint(centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius, colour, alpha,
          [&](glm::vec2 p) { return glm::length(p - centre) - radius; });
}

void Canvas::ring(const glm::vec2& centre, float radius, float lineWidth, const glm::vec3& colour,
                  float alpha) {
    float e = radius + lineWidth;
    paint(centre.x - e, centre.y - e, centre.x + e, centre.y + e, colour, alpha, [&](glm::vec2 p) {
        return std::fabs(glm::length(p - centre) - radius) - 0.5f * lineWidth;
    });
}

void Canvas::line(const glm::vec2& a, const glm::vec2& b, float lineWidth, const glm::vec3& colour,
                  float alpha) {
    float e = lineWidth;
    glm::vec2 ab = b - a;
    float len2 = std::max(glm::dot(ab, ab), 1e-12f);
    paint(std::min(a.x, b.x) - e, std::min(a.y, b.y) - e, std::max(a.x, b.x) + e,
          std::max(a.y, b.y) + e, colour, alpha, [&](glm::vec2 p) {
              float t = std::clamp(glm::dot(p - a, ab) / len2, 0.0f, 1.0f);
              return glm::length(p - (a + ab * t)) - 0.5f * lineWidth;
          });
}

void Canvas::fillPolygon(const std::vector<glm::vec2>& corners, const glm::vec3& colour,
                         float alpha) {
    if (corners.size() < 3)
        return;
    glm::vec2 lo = corners[0], hi = corners[0];
    for (const glm::vec2& c : corners) {
        lo = glm::min(lo, c);
        hi = glm::max(hi, c);
    }
    paint(lo.x, lo.y, hi.x, hi.y, colour, alpha, [&](glm::vec2 p) {
        float nearest = std::numeric_limits<float>::max();
        bool inside = false;
        for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            glm::vec2 a = corners[j], b = corners[i], ab = b - a;
            float t =
                std::clamp(glm::dot(p - a, ab) / std::max(glm::dot(ab, ab), 1e-12f), 0.0f, 1.0f);
            nearest = std::min(nearest, glm::length(p - (a + ab * t)));
            // Crossings of a ray towards +x decide inside and outside.
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * ab.x)
                inside = !inside;
        }
        return inside ? -nearest : nearest;
    });
}

void Canvas::text(const std::string& s, const glm::vec2& origin, const glm::vec2& right,
                  const glm::vec2& up, const glm::vec3& colour, float alpha) {
    glm::vec2 pen = origin;
    for (char ch : s) {
        const uint8_t* rows = glyphRows(ch);
        for (int j = 0; j < 7; ++j)
            for (int i = 0; i < 5; ++i) {
                if (!(rows[j] & (0x10 >> i)))
                    continue;
                glm::vec2 a = pen + float(i) * right + float(6 - j) * up;
                glm::vec2 b = a + right + up;
                // Neighbouring dots overlap by a pixel so no seam shows between them.
                fillRect(std::min(a.x, b.x) - 0.5f, std::min(a.y, b.y) - 0.5f,
                         std::max(a.x, b.x) + 0.5f, std::max(a.y, b.y) + 0.5f, colour, alpha);
            }
        pen += 6.0f * right;
    }
}

namespace {

BYTE toByte(float c) {
    return BYTE(std::floor(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f));
}

// Writes the canvas, with `alpha`'s red channel as a fourth channel when given, and
// stops the generator on any failure: a half-written asset must not look like a result.
void save(const Canvas& colour, const Canvas* alpha, FREE_IMAGE_FORMAT format,
          const std::string& path, int flags) {
    const int w = colour.width(), h = colour.height(), channels = alpha ? 4 : 3;
    if (alpha && (alpha->width() != w || alpha->height() != h)) {
        std::fprintf(stderr, "assetgen: %s: alpha is not %dx%d\n", path.c_str(), w, h);
        std::exit(1);
    }
    FIBITMAP* bmp = FreeImage_Allocate(w, h, 8 * channels, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                       FI_RGBA_BLUE_MASK);
    if (!bmp) {
        std::fprintf(stderr, "assetgen: cannot allocate a %dx%d image\n", w, h);
        std::exit(1);
    }
    for (int y = 0; y < h; ++y) {
        BYTE* row = FreeImage_GetScanLine(bmp, y); // FreeImage rows run bottom-up
        for (int x = 0; x < w; ++x) {
            const glm::vec3& c = colour.at(x, y);
            BYTE* px = row + channels * x;
            px[FI_RGBA_RED] = toByte(c.r);
            px[FI_RGBA_GREEN] = toByte(c.g);
            px[FI_RGBA_BLUE] = toByte(c.b);
            if (alpha)
                px[FI_RGBA_ALPHA] = toByte(alpha->at(x, y).r);
        }
    }
    bool ok = FreeImage_Save(format, bmp, path.c_str(), flags);
    FreeImage_Unload(bmp);
    if (!ok) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

} // namespace

void Canvas::saveJpeg(const std::string& path, int quality) const {
    save(*this, nullptr, FIF_JPEG, path, quality | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE);
}

void Canvas::savePng(const std::string& path, const Canvas& alpha) const {
    save(*this, &alpha, FIF_PNG, path, PNG_Z_BEST_COMPRESSION);
}

} // namespace assetgen
