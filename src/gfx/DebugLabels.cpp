#include "gfx/DebugLabels.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace drifthold {

namespace {

#ifdef DRIFTHOLD_GL_DEBUG_BUILD
constexpr bool kDebugBuild = true;
#else
constexpr bool kDebugBuild = false;
#endif

// Asked once, on the first use, which comes after glewInit.
bool available() {
    static const bool khrDebug = GLEW_KHR_debug;
    return khrDebug;
}

const char* kindOf(GLenum type) {
    switch (type) {
    case GL_DEBUG_TYPE_ERROR:
        return "error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
        return "deprecated behaviour";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
        return "undefined behaviour";
    case GL_DEBUG_TYPE_PORTABILITY:
        return "portability";
    case GL_DEBUG_TYPE_PERFORMANCE:
        return "performance";
    default: // the groups' own push and pop messages, markers, other
        return nullptr;
    }
}

// One line on stderr per message, with any line break inside it turned into a space.
void GLAPIENTRY report(GLenum, GLenum type, GLuint, GLenum severity, GLsizei length,
                       const GLchar* message, const void*) {
    const char* kind = kindOf(type);
    if (kind == nullptr || severity == GL_DEBUG_SEVERITY_NOTIFICATION)
        return;
    std::size_t size = length >= 0 ? static_cast<std::size_t>(length) : std::strlen(message);
    while (size > 0 && (message[size - 1] == '\n' || message[size - 1] == '\r'))
        --size;
    // Written in one piece where it fits, as stderr is unbuffered.
    char line[1024];
    const int prefix = std::snprintf(line, sizeof line, "drifthold: GL %s: ", kind);
    std::size_t at = static_cast<std::size_t>(std::max(prefix, 0));
    for (std::size_t i = 0; i < size; ++i) {
        if (at == sizeof line - 1) {
            std::fwrite(line, 1, at, stderr);
            at = 0;
        }
        const char c = message[i];
        line[at++] = c == '\n' || c == '\r' ? ' ' : c;
    }
    line[at++] = '\n';
    std::fwrite(line, 1, at, stderr);
}

bool asked() {
    const char* value = std::getenv("DRIFTHOLD_GL_DEBUG");
    if (value != nullptr && value[0] != '\0')
        return std::strcmp(value, "0") != 0;
    return kDebugBuild;
}

} // namespace

void labelGLObject(GLenum identifier, GLuint name, std::string_view owner, std::string_view what) {
    if (!available() || name == 0)
        return;
    // Joined on the stack: labels are short, and a long one is cut below the least
    // GL_MAX_LABEL_LENGTH (256, the terminator included).
    char text[255];
    std::size_t size = std::min(owner.size(), sizeof text);
    std::memcpy(text, owner.data(), size);
    if (!what.empty() && size < sizeof text) {
        if (size > 0)
            text[size++] = ' ';
        const std::size_t rest = std::min(what.size(), sizeof text - size);
        std::memcpy(text + size, what.data(), rest);
        size += rest;
    }
    glObjectLabel(identifier, name, static_cast<GLsizei>(size), text);
}

void pushGLDebugGroup(std::string_view name) {
    if (available())
        glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, static_cast<GLsizei>(name.size()),
                         name.data());
}

void popGLDebugGroup() {
    if (available())
        glPopDebugGroup();
}

void enableGLDebugOutputIfAsked() {
    if (!available() || !asked())
        return;
    glEnable(GL_DEBUG_OUTPUT);
    // Reported inside the call that caused it, so a debugger's stack shows the culprit.
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(report, nullptr);
}

} // namespace drifthold
