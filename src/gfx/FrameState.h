#pragma once
#include "gfx/gl.h"

namespace drifthold::frameState {

// The GL state between the passes of a frame. Every pass starts from it, and the frame
// pipeline puts back whatever a pass changes from what it set, without asking GL. Programs,
// texture bindings and the bound framebuffer are not part of it: each pass sets its own.
// Face culling is off until the star sphere's first draw and on from then on, and blending
// follows the transparency switch; the frame loop and the star sphere own those.

// Set once at start-up; the letterboxed present clears its bars black and puts it back.
constexpr GLfloat kClearColour[4] = {0.2f, 0.2f, 0.2f, 1.0f};
constexpr bool kDepthTest = true;
constexpr GLenum kDepthFunc = GL_LESS;
// The particles draw without depth writes.
constexpr GLboolean kDepthMask = GL_TRUE;
// Wireframe is the scene's alone.
constexpr GLenum kPolygonMode = GL_FILL;
// The particle update turns it on; their draw turns it off again.
constexpr bool kRasterizerDiscard = false;
// Colour textures' unit; the particles bind their sprite on another.
constexpr GLenum kActiveTexture = GL_TEXTURE0;
constexpr GLuint kVertexArray = 0;

} // namespace drifthold::frameState
