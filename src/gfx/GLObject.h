#pragma once
#include "gfx/gl.h"

#include <utility>

namespace drifthold::gl {

// Owns one GL object name and deletes the object when it goes. Moves hand the name over;
// copies are impossible, so every name has exactly one owner. Name 0 owns nothing and
// makes no GL call, so objects that never reach the GPU need no context.
//
// The name converts to GLuint, so an owner reads like the bare name it replaces:
// glBindBuffer(GL_ARRAY_BUFFER, buffer).
template <class Kind> class Object {
public:
    Object() noexcept = default;
    // Takes over `name`, which must be an object of this kind (or 0).
    explicit Object(GLuint name) noexcept : name_(name) {}
    Object(Object&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.name_, 0));
        return *this;
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() { reset(); }

    // A new object of this kind (glGen*/glCreate*).
    static Object create() { return Object(Kind::create()); }

    GLuint id() const noexcept { return name_; }
    operator GLuint() const noexcept { return name_; }

    // Deletes the object held so far, if any, and takes `name` instead.
    void reset(GLuint name = 0) noexcept {
        if (name_ != 0)
            Kind::destroy(name_);
        name_ = name;
    }

private:
    GLuint name_ = 0;
};

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
