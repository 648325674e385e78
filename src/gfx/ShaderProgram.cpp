#include "gfx/ShaderProgram.h"

#include "gfx/DebugLabels.h"
#include "gfx/Fatal.h"
#include "gfx/ShaderInterface.h"

#include <algorithm>
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

// The message, then the driver's compile or link log of `name` (empty when it has none),
// then the fatal ending. `getiv` and `getLog` are the shader's or the program's queries.
template <class GetIv, class GetLog>
[[noreturn]] void failWithLog(const char* message, GLuint name, GetIv getiv, GetLog getLog) {
    GLint length = 0;
    getiv(name, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0)
        getLog(name, length, nullptr, log.data());
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
    failWithLog("Failed to compile shader", created, glGetShaderiv, glGetShaderInfoLog);
}

void ShaderProgram::link() {
    glBindFragDataLocation(handle, 0, glsl::fragColor);
    glLinkProgram(handle);
    GLint status = 0;
    glGetProgramiv(handle, GL_LINK_STATUS, &status);
    if (status != 0) {
        resolveLocations();
        return;
    }
    failWithLog("Failed to link shader program", handle, glGetProgramiv, glGetProgramInfoLog);
}

GLint ShaderProgram::uniformLocation(const char* name) const {
    return find(uniforms_, name);
}

GLint ShaderProgram::attributeLocation(const char* name) const {
    return find(attributes_, name);
}

GLint ShaderProgram::find(const Locations& table, const char* name) {
    const auto at = std::lower_bound(
        table.begin(), table.end(), name,
        [](const Location& entry, const char* key) { return entry.name.compare(key) < 0; });
    return at != table.end() && at->name.compare(name) == 0 ? at->location : -1;
}

void ShaderProgram::resolveLocations() {
    GLint count = 0, longest = 0;
    GLint size = 0;
    GLenum type = 0;
    GLsizei length = 0;
    glGetProgramiv(handle, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(handle, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::vector<char> name(static_cast<size_t>(std::max(longest, 1)) + 1, '\0');
    for (GLint i = 0; i < count; ++i) {
        glGetActiveUniform(handle, static_cast<GLuint>(i), static_cast<GLsizei>(name.size()),
                           &length, &size, &type, name.data());
        const std::string uniform(name.data(), static_cast<size_t>(length));
        const GLint location = glGetUniformLocation(handle, uniform.c_str());
        if (location < 0) // a member of a uniform block: set through its buffer
            continue;
        uniforms_.push_back({uniform, location});
        // GL names arrays "name[0]"; "name" means the same element.
        const std::string first = "[0]";
        if (uniform.size() > first.size() &&
            uniform.compare(uniform.size() - first.size(), first.size(), first) == 0)
            uniforms_.push_back({uniform.substr(0, uniform.size() - first.size()), location});
    }

    glGetProgramiv(handle, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(handle, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &longest);
    name.assign(static_cast<size_t>(std::max(longest, 1)) + 1, '\0');
    for (GLint i = 0; i < count; ++i) {
        glGetActiveAttrib(handle, static_cast<GLuint>(i), static_cast<GLsizei>(name.size()),
                          &length, &size, &type, name.data());
        const std::string attribute(name.data(), static_cast<size_t>(length));
        const GLint location = glGetAttribLocation(handle, attribute.c_str());
        if (location >= 0) // built-ins such as gl_VertexID have none
            attributes_.push_back({attribute, location});
    }

    const auto byName = [](const Location& a, const Location& b) { return a.name < b.name; };
    std::sort(uniforms_.begin(), uniforms_.end(), byName);
    std::sort(attributes_.begin(), attributes_.end(), byName);
}

std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexPath,
                                            const std::string& fragmentPath,
                                            std::string_view label) {
    auto program = std::make_unique<ShaderProgram>();
    GLuint shader = 0;
    program->attachShaderFile(vertexPath, GL_VERTEX_SHADER, shader);
    program->attachShaderFile(fragmentPath, GL_FRAGMENT_SHADER, shader);
    program->link();
    std::string_view what;
    if (label.empty()) {
        label = fileNameOf(fragmentPath);
        label = label.substr(0, label.find('.'));
        what = "program";
    }
    labelGLObject(GL_PROGRAM, program->handle, label, what);
    return program;
}

} // namespace drifthold
