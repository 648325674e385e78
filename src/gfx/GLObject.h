#pragma once
#include "gfx/OwnedName.h"
#include "gfx/gl.h"

namespace drifthold::gl {

// One owner per GL object name (see OwnedName): gl::Buffer, gl::Texture, ...
template <class Kind> using Object = OwnedName<Kind, GLuint>;

// One name from a glGen* function.
template <typename Generate> GLuint generateOne(Generate generate) {
    GLuint name = 0;
    generate(1, &name);
    return name;
}

struct BufferKind {
    static GLuint create() { return generateOne(glGenBuffers); }
    static void destroy(GLuint name) { glDeleteBuffers(1, &name); }
};

struct VertexArrayKind {
    static GLuint create() { return generateOne(glGenVertexArrays); }
    static void destroy(GLuint name) { glDeleteVertexArrays(1, &name); }
};

struct TextureKind {
    static GLuint create() { return generateOne(glGenTextures); }
    static void destroy(GLuint name) { glDeleteTextures(1, &name); }
};

struct FramebufferKind {
    static GLuint create() { return generateOne(glGenFramebuffers); }
    static void destroy(GLuint name) { glDeleteFramebuffers(1, &name); }
};

struct QueryKind {
    static GLuint create() { return generateOne(glGenQueries); }
    static void destroy(GLuint name) { glDeleteQueries(1, &name); }
};

// A program that is still current is only flagged for deletion; whoever tears the
// whole game down makes no program current first.
struct ProgramKind {
    static GLuint create() { return glCreateProgram(); }
    static void destroy(GLuint name) { glDeleteProgram(name); }
};

// Shaders are made with a type: gl::Shader(glCreateShader(type)). Deleting one that is
// attached only flags it; it goes with its program.
struct ShaderKind {
    static void destroy(GLuint name) { glDeleteShader(name); }
};

using Buffer = Object<BufferKind>;
using VertexArray = Object<VertexArrayKind>;
using Texture = Object<TextureKind>;
using Framebuffer = Object<FramebufferKind>;
using Query = Object<QueryKind>;
using Program = Object<ProgramKind>;
using Shader = Object<ShaderKind>;

} // namespace drifthold::gl
