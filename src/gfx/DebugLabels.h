#pragma once
#include "gfx/gl.h"

#include <string_view>

namespace drifthold {

// Names for a GL debugger (qapitrace, RenderDoc): every object the game makes carries a
// label naming its owner, and each pass of a frame is a named group. All of it needs
// GL_KHR_debug; without it these make no GL call at all.

// The file a path names, as labels call it: what follows its last backslash or slash.
inline std::string_view fileNameOf(std::string_view path) {
    return path.substr(path.find_last_of("\\/") + 1); // npos + 1: no folder
}

// Labels object `name` of kind `identifier` (GL_PROGRAM, GL_TEXTURE, ...) "owner what", or
// "owner" alone. Call it once the object has been bound: only then is the name an object.
void labelGLObject(GLenum identifier, GLuint name, std::string_view owner,
                   std::string_view what = {});

// A named group around the commands that follow, up to the matching pop.
void pushGLDebugGroup(std::string_view name);
void popGLDebugGroup();

// With DRIFTHOLD_GL_DEBUG=1, or in a Debug build unless it is 0: the driver's errors and
// warnings go to stderr, one line each, as they happen. Right after loadGLEntryPoints.
void enableGLDebugOutputIfAsked();

} // namespace drifthold
