#include "gfx/ShaderProgram.h"

#include "gfx/Fatal.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace drifthold {

ShaderProgram::ShaderProgram() {
    handle = glCreateProgram();
    if (handle == 0) {
        std::cout << "No valid program handle" << std::endl;
        fatalEnding();
    }
}

void ShaderProgram::attachShaderFile(const std::string& path, GLenum type, GLuint& shader) {
    std::ifstream file(nativePath(path));
    if (!file.good()) {
        std::cout << "Shader file missing" << std::endl;
        fatalEnding();
    }
    const std::string source((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
    file.close();

    shader = glCreateShader(type);
    if (shader == 0) {
        std::cout << "Invalid shader handle" << std::endl;
        fatalEnding();
    }
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(shader)) {
        glAttachShader(handle, shader);
        return;
    }
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0)
        glGetShaderInfoLog(shader, length, nullptr, log.data());
    std::cout << "Failed to compile shader" << std::endl;
    std::cout << log.data() << std::endl;
    fatalEnding();
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
    std::cout << "Failed to link shader program" << std::endl;
    std::cout << log.data() << std::endl;
    fatalEnding();
}

} // namespace drifthold
