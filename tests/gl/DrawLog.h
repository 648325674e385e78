#pragma once
// Every draw call the game makes while a DrawLog is alive, with the GL state it was made
// in. The test executable defines glDrawArrays, glDrawElements and glTexImage2D itself, so
// the game's calls come here first and then go on to the driver unchanged.
#include "gfx/gl.h"

#include <vector>

namespace drifthold::test {

struct Draw {
    GLenum mode = 0;        // GL_TRIANGLES, GL_POINTS, ...
    GLuint vertexArray = 0; // bound vertex array
    GLuint framebuffer = 0; // bound draw framebuffer
    bool blend = false;
    bool cullFace = false;
    GLint depthFunc = 0;
    GLint polygonMode = 0;
};

// How many times the game has given a texture new storage (glTexImage2D) so far.
int textureImagesSpecified();

class DrawLog {
public:
    DrawLog();
    ~DrawLog();
    DrawLog(const DrawLog&) = delete;
    DrawLog& operator=(const DrawLog&) = delete;

    std::vector<Draw> draws;
};

} // namespace drifthold::test
