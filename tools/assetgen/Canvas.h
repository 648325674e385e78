#pragma once
#include <glm/glm.hpp>

#include <string>
#include <vector>

namespace assetgen {

// An RGB float image whose pixel (x, y) covers texture coordinates
// ((x, x+1) / width, (y, y+1) / height): row 0 is the bottom, v = 0, which is also the
// first row FreeImage stores and the game uploads. Shapes are anti-aliased by their
// signed distance; coordinates are in pixels.
class Canvas {
public:
    Canvas(int width, int height, const glm::vec3& fill = glm::vec3(0.0f));

    int width() const { return w_; }
    int height() const { return h_; }
    glm::vec3& at(int x, int y) { return px_[size_t(y) * w_ + x]; }
    const glm::vec3& at(int x, int y) const { return px_[size_t(y) * w_ + x]; }
    // Bilinear sample with wrap-around in x and clamping in y.
    glm::vec3 sample(float u, float v) const;

    // Mixes `colour` into the pixel with weight `alpha`.
    void blend(int x, int y, const glm::vec3& colour, float alpha);

    void fillRect(float x0, float y0, float x1, float y1, const glm::vec3& colour,
                  float alpha = 1.0f, float cornerRadius = 0.0f);
    void strokeRect(float x0, float y0, float x1, float y1, float lineWidth,
                    const glm::vec3& colour, float alpha = 1.0f);
    void fillCircle(const glm::vec2& centre, float radius, const glm::vec3& colour,
                    float alpha = 1.0f);
    void ring(const glm::vec2& centre, float radius, float lineWidth, const glm::vec3& colour,
              float alpha = 1.0f);
    void line(const glm::vec2& a, const glm::vec2& b, float lineWidth, const glm::vec3& colour,
              float alpha = 1.0f);
    // A simple polygon, either winding, even-odd inside.
    void fillPolygon(const std::vector<glm::vec2>& corners, const glm::vec3& colour,
                     float alpha = 1.0f);
    // 5x7 block letters. Glyph column i, row j (row 0 at the top) lands at
    // origin + i * right + (6 - j) * up, so negative axes mirror the text.
    void text(const std::string& s, const glm::vec2& origin, const glm::vec2& right,
              const glm::vec2& up, const glm::vec3& colour, float alpha = 1.0f);

    // 24-bit baseline JPEG at a fixed quality, no chroma subsampling.
    void saveJpeg(const std::string& path, int quality) const;
    // 32-bit PNG whose alpha channel is `alpha`'s red channel (same size).
    void savePng(const std::string& path, const Canvas& alpha) const;

private:
    // Blends `colour` over the box wherever the signed distance `sd(p)` (pixels,
    // negative inside) says the pixel centre is covered.
    template <class SignedDistance>
    void paint(float x0, float y0, float x1, float y1, const glm::vec3& colour, float alpha,
               SignedDistance sd);

    int w_, h_;
    std::vector<glm::vec3> px_;
};

} // namespace assetgen
