#include "ObjWriter.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <vector>

namespace assetgen {
namespace {

// The game reads the colours of the file's first material. Assimp's OBJ importer always
// puts its own "DefaultMaterial" first, unless the library defines that very name, in
// which case that definition fills it.
const char* const kMaterialName = "DefaultMaterial";

std::string number(float x) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", double(x));
    std::string s(buf);
    return s == "-0.000000" ? "0.000000" : s;
}

// Assigns 1-based OBJ indices to distinct lines in order of first use.
struct Pool {
    std::map<std::string, int> index;
    std::vector<std::string> lines;

    int get(const std::string& line) {
        auto it = index.find(line);
        if (it != index.end())
            return it->second;
        lines.push_back(line);
        index.emplace(line, int(lines.size()));
        return int(lines.size());
    }
};

void fail(const std::string& path) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    std::exit(1);
}

} // namespace

void writeObj(const std::string& dir, const std::string& name, const Mesh& mesh,
              const MaterialDesc& material) {
    Pool positions, uvs, normals;
    std::string faces;
    for (const Triangle& t : mesh.triangles()) {
        faces += "f";
        for (const Vertex& v : t.v) {
            int p = positions.get("v " + number(v.p.x) + " " + number(v.p.y) + " " + number(v.p.z));
            int u = uvs.get("vt " + number(v.uv.x) + " " + number(v.uv.y));
            int n = normals.get("vn " + number(v.n.x) + " " + number(v.n.y) + " " + number(v.n.z));
            faces += " " + std::to_string(p) + "/" + std::to_string(u) + "/" + std::to_string(n);
        }
        faces += "\n";
    }

    std::string objPath = dir + "/" + name + ".obj";
    std::ofstream obj(objPath, std::ios::binary);
    obj << "# Drifthold asset generator (tools/assetgen); regenerate with `make assets`\n";
    obj << "mtllib " << name << ".mtl\n";
    obj << "o " << name << "\n";
    for (const std::string& l : positions.lines)
        obj << l << "\n";
    for (const std::string& l : uvs.lines)
        obj << l << "\n";
    for (const std::string& l : normals.lines)
        obj << l << "\n";
    obj << "usemtl " << kMaterialName << "\n" << faces;
    if (!obj.good())
        fail(objPath);

    auto colour = [](const char* key, const glm::vec3& c) {
        return std::string(key) + " " + number(c.r) + " " + number(c.g) + " " + number(c.b) + "\n";
    };
    std::string mtlPath = dir + "/" + name + ".mtl";
    std::ofstream mtl(mtlPath, std::ios::binary);
    mtl << "# Drifthold asset generator (tools/assetgen)\n";
    mtl << "newmtl " << kMaterialName << "\n";
    mtl << colour("Kd", material.diffuse) << colour("Ka", material.ambient)
        << colour("Ks", material.specular) << colour("Ke", material.emissive);
    mtl << "Ns " << number(material.shininess) << "\n";
    mtl << "map_Kd " << material.texture << "\n";
    if (!mtl.good())
        fail(mtlPath);
}

void reportModel(const std::string& file, const Mesh& mesh) {
    Bounds b = mesh.bounds();
    std::printf("%-40s %6zu triangles  min (%.3f, %.3f, %.3f)  max (%.3f, %.3f, %.3f)\n",
                file.c_str(), mesh.triangles().size(), double(b.min.x), double(b.min.y),
                double(b.min.z), double(b.max.x), double(b.max.y), double(b.max.z));
}

} // namespace assetgen
