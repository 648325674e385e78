#include "gfx/ShaderProgram.h"

#include "gfx/Fatal.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace drifthold {

namespace {

bool readFile(const std::string& path, std::string& text) {
    std::ifstream file(nativePath(path));
    if (!file.good())
        return false;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

[[noreturn]] void missingFile(const std::string& path) {
    std::cout << "Shader file missing" << std::endl;
    explainMissingFile(path);
    fatalEnding();
}

// The compile or link log after its message, then the fatal ending.
[[noreturn]] void failWithLog(const char* message, std::vector<char>& log) {
    std::cout << message << std::endl;
    std::cout << log.data() << std::endl;
    fatalEnding();
}

} // namespace

ShaderProgram::ShaderProgram() : handle(glCreateProgram()) {
    if (handle == 0) {
        std::cout << "No valid program handle" << std::endl;
        fatalEnding();
    }
}

void ShaderProgram::attachShaderFile(const std::string& path, GLenum type, GLuint& shader) {
    // The file's text goes to the compiler as it stands: shaders are data a player may
    // replace, and a replaced one compiles with the names it declares itself.
    std::string source;
    if (!readFile(path, source))
        missingFile(path);

    gl::Shader created(glCreateShader(type));
    shader = created;
    if (created == 0) {
        std::cout << "Invalid shader handle" << std::endl;
        fatalEnding();
    }
    const char* text = source.c_str();
    glShaderSource(created, 1, &text, nullptr);
    glCompileShader(created);

    GLint status = 0;
    glGetShaderiv(created, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(created)) {
        glAttachShader(handle, created);
        shaders_.push_back(std::move(created));
        return;
    }
    GLint length = 0;
    glGetShaderiv(created, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0)
        glGetShaderInfoLog(created, length, nullptr, log.data());
    failWithLog("Failed to compile shader", log);
}

void ShaderProgram::link() {
    glBindFragDataLocation(handle, 0, "fragColor");
    glLinkProgram(handle);
    GLint status = 0;
    glGetProgramiv(handle, GL_LINK_STATUS, &status);
    if (status != 0)
        return;
    GLint length = 0;
    glGetProgramiv(handle, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0)
        glGetProgramInfoLog(handle, length, nullptr, log.data());
    failWithLog("Failed to link shader program", log);
}

GLint ShaderProgram::uniformLocation(const char* name) const {
    for (std::size_t i = 0; i < cachedLocations_; ++i)
        if (std::strcmp(locations_[i].name, name) == 0)
            return locations_[i].location;
    const GLint location = glGetUniformLocation(handle, name);
    // Programs have a handful of uniforms; a long name or a full cache is merely not kept.
    if (cachedLocations_ < locations_.size() && std::strlen(name) < sizeof(CachedLocation::name)) {
        CachedLocation& entry = locations_[cachedLocations_++];
        std::strcpy(entry.name, name);
        entry.location = location;
    }
    return location;
}

std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexPath,
                                            const std::string& fragmentPath) {
    auto program = std::make_unique<ShaderProgram>();
    GLuint shader = 0;
    program->attachShaderFile(vertexPath, GL_VERTEX_SHADER, shader);
    program->attachShaderFile(fragmentPath, GL_FRAGMENT_SHADER, shader);
    program->link();
    return program;
}

} // namespace drifthold
