#pragma once
#include <string>

namespace assetgen {

// The shader sources live in tools/shaders, where the parts several shaders share (the
// "Material" block, the screen quad's vertex stage) are written once and pulled in by a
// line `#include "name"`. The game reads complete GLSL files, so the generator expands
// those lines and writes each shader whole into Assets/Shader.

// The GLSL declarations of the numbers the game's code and its shaders share
// (src/gfx/SharedConstants.h), one per line; `#include "SharedConstants.glsl"` stands for
// them.
std::string glslSharedConstants();

// The complete text of shader `name` in `sourceDir`, its includes expanded (nested ones
// too). False with `problem` set when a file is missing or includes itself again.
bool expandShader(const std::string& sourceDir, const std::string& name, std::string& text,
                  std::string& problem);

// Writes every .vert, .frag and .geo file of `sourceDir`, complete, into `outDir`.
bool writeShaders(const std::string& sourceDir, const std::string& outDir, std::string& problem);

} // namespace assetgen
