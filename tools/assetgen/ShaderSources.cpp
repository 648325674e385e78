#include "ShaderSources.h"

#include "gfx/SharedConstants.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace assetgen {

namespace {

namespace fs = std::filesystem;

const char* const kSharedConstants = "SharedConstants.glsl";

void writeFloat(std::ostringstream& out, const char* name, float value) {
    out << "const float " << name << " = " << value << ";\n";
}

bool readFile(const fs::path& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file.good())
        return false;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    text = bytes.str();
    return true;
}

// The file name of a line `#include "name"`, if it is one.
bool includedName(const std::string& line, std::string& name) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 8, "#include") != 0)
        return false;
    const std::size_t open = line.find('"', start + 8);
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos)
        return false;
    name = line.substr(open + 1, close - open - 1);
    return true;
}

// Appends `name` with its includes expanded; `chain` holds the files being expanded
// around it, so a file that comes round again is a cycle, not a missing file.
bool expand(const fs::path& folder, const std::string& name, std::vector<std::string>& chain,
            std::string& out, std::string& problem) {
    if (name == kSharedConstants) {
        out += glslSharedConstants();
        return true;
    }
    if (std::find(chain.begin(), chain.end(), name) != chain.end()) {
        problem = "include cycle: ";
        for (const std::string& file : chain)
            problem += file + " -> ";
        problem += name;
        return false;
    }
    std::string text;
    if (!readFile(folder / name, text)) {
        problem = "cannot read " + (folder / name).string() +
                  (chain.empty() ? "" : " (included by " + chain.back() + ")");
        return false;
    }
    chain.push_back(name);
    std::istringstream lines(text);
    std::string line;
    std::string included;
    bool first = chain.size() == 1;
    while (std::getline(lines, line)) {
        if (includedName(line, included)) {
            if (!expand(folder, included, chain, out, problem))
                return false;
        } else {
            out += line + "\n";
        }
        // Where the complete file comes from, right below its #version line.
        if (first && line.rfind("#version", 0) == 0)
            out += "// Written by make assets from tools/shaders/" + name +
                   ", which includes the parts\n// it shares with other shaders: edit it there.\n";
        first = false;
    }
    chain.pop_back();
    return true;
}

} // namespace

std::string glslSharedConstants() {
    std::ostringstream out;
    out.precision(9);
    out << std::showpoint;
    writeFloat(out, "kFrameWidth", static_cast<float>(drifthold::kFrameWidth));
    writeFloat(out, "kFrameHeight", static_cast<float>(drifthold::kFrameHeight));
    writeFloat(out, "kFrameAspect", drifthold::kFrameAspect);
    writeFloat(out, "kCubeHalfExtent", drifthold::kCubeHalfExtent);
    writeFloat(out, "kCameraFieldOfView", drifthold::kCameraFieldOfView);
    return out.str();
}

bool expandShader(const std::string& sourceDir, const std::string& name, std::string& text,
                  std::string& problem) {
    std::vector<std::string> chain;
    text.clear();
    return expand(sourceDir, name, chain, text, problem);
}

bool writeShaders(const std::string& sourceDir, const std::string& outDir, std::string& problem) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(sourceDir, error)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".vert" || extension == ".frag" || extension == ".geo")
            names.push_back(entry.path().filename().string());
    }
    if (error) {
        problem = "cannot list " + sourceDir + ": " + error.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    fs::create_directories(outDir, error);
    for (const std::string& name : names) {
        std::string text;
        if (!expandShader(sourceDir, name, text, problem))
            return false;
        std::ofstream file(fs::path(outDir) / name, std::ios::binary);
        file << text;
        if (!file.good()) {
            problem = "cannot write " + (fs::path(outDir) / name).string();
            return false;
        }
    }
    return true;
}

} // namespace assetgen
