#include "gfx/ShaderProgram.h"

#include "gfx/Fatal.h"
#include "gfx/SharedConstants.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace drifthold {

namespace {

bool readFile(const std::string& path, std::string& text) {
    std::ifstream file(nativePath(path));
    if (!file.good())
        return false;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// The folder part of a backslash (or slash) path, separator included; empty without one.
std::string folderOf(const std::string& path) {
    const std::size_t last = path.find_last_of("\\/");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool startsWithDirective(const std::string& line, const char* directive, std::size_t& end) {
    const std::size_t start = line.find_first_not_of(" \t");
    const std::string word(directive);
    if (start == std::string::npos || line.compare(start, word.size(), word) != 0)
        return false;
    end = start + word.size();
    return true;
}

// The file name of a line `#include "name"`.
bool includedName(const std::string& line, std::string& name) {
    std::size_t end = 0;
    if (!startsWithDirective(line, "#include", end))
        return false;
    const std::size_t open = line.find('"', end);
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos)
        return false;
    name = line.substr(open + 1, close - open - 1);
    return true;
}

std::string lineDirective(int line, int sourceString) {
    return "#line " + std::to_string(line) + " " + std::to_string(sourceString) + "\n";
}

void writeFloat(std::ostringstream& out, const char* name, float value) {
    out << "const float " << name << " = " << value << ";\n";
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

std::string glslSharedConstants() {
    std::ostringstream out;
    out.precision(9);
    out << std::showpoint;
    writeFloat(out, "kFrameWidth", static_cast<float>(kFrameWidth));
    writeFloat(out, "kFrameHeight", static_cast<float>(kFrameHeight));
    writeFloat(out, "kFrameAspect", kFrameAspect);
    writeFloat(out, "kCubeHalfExtent", kCubeHalfExtent);
    writeFloat(out, "kCameraFieldOfView", kCameraFieldOfView);
    return out.str();
}

namespace {

// Includes nest this deep at most; deeper (an include cycle) counts as a missing file.
constexpr int kMaxIncludeDepth = 8;

struct Expansion {
    std::string source;
    std::string missing;
    int strings = 0; // source-string numbers handed out to included files
};

// Appends the file `path`, which the compiler is to call source string `string`, with
// its includes expanded.
bool expand(const std::string& path, int string, int depth, Expansion& out) {
    std::string text;
    if (depth > kMaxIncludeDepth || !readFile(path, text)) {
        out.missing = path;
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::size_t end = 0;
        std::string name;
        if (startsWithDirective(line, "#version", end)) {
            // Only the compiled file's own #version counts; an included one is dropped.
            if (string == 0)
                out.source += line + "\n" + glslSharedConstants() + lineDirective(number + 1, 0);
            else
                out.source += "\n";
        } else if (includedName(line, name)) {
            const int included = ++out.strings;
            out.source += lineDirective(1, included);
            if (!expand(folderOf(path) + name, included, depth + 1, out))
                return false;
            out.source += lineDirective(number + 1, string);
        } else {
            out.source += line + "\n";
        }
    }
    return true;
}

} // namespace

bool readShaderSource(const std::string& path, std::string& source, std::string& missing) {
    // An empty file stays empty, so it still fails to compile as the broken file it is.
    Expansion expansion;
    if (!expand(path, 0, 0, expansion)) {
        missing = expansion.missing;
        return false;
    }
    source = std::move(expansion.source);
    return true;
}

ShaderProgram::ShaderProgram() : handle(glCreateProgram()) {
    if (handle == 0) {
        std::cout << "No valid program handle" << std::endl;
        fatalEnding();
    }
}

void ShaderProgram::attachShaderFile(const std::string& path, GLenum type, GLuint& shader) {
    std::string source;
    std::string missing;
    if (!readShaderSource(path, source, missing))
        missingFile(missing);

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
    if (status != 0) {
        shaders_.clear();
        return;
    }
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
