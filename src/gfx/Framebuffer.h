#pragma once
#include "gfx/GLObject.h"
#include "gfx/RenderSize.h"
#include "gfx/ShaderProgram.h"
#include "gfx/SharedConstants.h"
#include "gfx/gl.h"

#include <memory>
#include <string_view>

namespace drifthold {

class PostprocessingTechnique;

// A rectangle of the bound target, in pixels from its lower-left corner.
struct Viewport {
    int x = 0, y = 0, width = kFrameWidth, height = kFrameHeight;
    bool operator==(const Viewport& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// The largest rectangle of the frame's aspect centred in a target of this size: the whole
// target when it has the frame's size, bars above and below or left and right otherwise.
Viewport letterbox(int targetWidth, int targetHeight);

// An off-screen target with a colour and a depth texture, made at the frame's size
// (kFrameWidth x kFrameHeight) and resized when the render size changes. It can draw its
// own two textures over a viewport of whatever framebuffer is bound, either with its own
// screen-quad program or through a post-processing technique.
class Framebuffer {
public:
    // `owner` names its GL objects in a debugger: "<owner> colour", "<owner> depth", ...
    explicit Framebuffer(std::string_view owner = "framebuffer");
    Framebuffer(Framebuffer&&) noexcept = default;
    Framebuffer& operator=(Framebuffer&&) noexcept = default;

    // Colour on unit 0, depth on unit 1, and the two samplers of `program`, which must be
    // current. Leaves unit 1 active.
    void bindTextures(const ShaderProgram& program);
    // Clears the bound target and draws the colour texture with the quad program over
    // `target` (by default the frame's 1024x768).
    void draw(const Viewport& target = Viewport());
    // Clears the bound target, a framebuffer of this one's size, and draws through
    // `technique`, whose program is `program`.
    void drawWith(PostprocessingTechnique& technique, const ShaderProgram& program);

    // New storage of `size` for both textures, under the same GL names; false when the
    // target is then incomplete. The frame pipeline calls it only when the size changes.
    bool resize(PixelSize size);
    PixelSize size() const { return size_; }

    gl::Framebuffer fbo;
    gl::Texture colorTexture;
    gl::Texture depthTexture;
    gl::VertexArray quadVao;
    std::unique_ptr<ShaderProgram> quadProgram;

private:
    void createScreenQuad(std::string_view owner);
    void allocateColour();
    void allocateDepth();
    void drawQuadAndUnbind();

    gl::Buffer quadVertices;
    gl::Buffer quadIndices;
    PixelSize size_ = kFrameSize;
};

} // namespace drifthold
