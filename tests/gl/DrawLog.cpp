#include "gl/DrawLog.h"

#include <dlfcn.h>

namespace drifthold::test {

namespace {

DrawLog* active = nullptr;
int textureImages = 0;

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

void record(GLenum mode) {
    if (active == nullptr)
        return;
    Draw draw;
    draw.mode = mode;
    draw.vertexArray = static_cast<GLuint>(integer(GL_VERTEX_ARRAY_BINDING));
    draw.framebuffer = static_cast<GLuint>(integer(GL_DRAW_FRAMEBUFFER_BINDING));
    draw.blend = glIsEnabled(GL_BLEND) == GL_TRUE;
    draw.cullFace = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    draw.depthFunc = integer(GL_DEPTH_FUNC);
    GLint polygonMode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    draw.polygonMode = polygonMode[0];
    active->draws.push_back(draw);
}

template <class Function> Function driver(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

int textureImagesSpecified() {
    return textureImages;
}

DrawLog::DrawLog() {
    active = this;
}

DrawLog::~DrawLog() {
    active = nullptr;
}

} // namespace drifthold::test

extern "C" {

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static const auto real =
        drifthold::test::driver<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    drifthold::test::record(mode);
    real(mode, first, count);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static const auto real =
        drifthold::test::driver<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    drifthold::test::record(mode);
    real(mode, count, type, indices);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    static const auto real =
        drifthold::test::driver<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum,
                                         GLenum, const void*)>("glTexImage2D");
    ++drifthold::test::textureImages;
    real(target, level, internalFormat, width, height, border, format, type, pixels);
}

} // extern "C"
