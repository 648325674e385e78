// The building blocks the generated assets rely on: winding, mirroring, pole fans,
// the OBJ text the loader reads, polygon fill and the row order and alpha of saved images.
#include "Canvas.h"
#include "Mesh.h"
#include "ObjWriter.h"
#include "ShaderSources.h"
#include "support/Files.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace assetgen;
using drifthold::test::readFile;
using drifthold::test::tempFolder;

namespace {

glm::vec3 geometricNormal(const Triangle& t) {
    return glm::cross(t.v[1].p - t.v[0].p, t.v[2].p - t.v[0].p);
}

// Every face is wound the way its normals point, and points away from `centre`
// (or towards it when `inward`).
void expectClosedAround(const Mesh& m, const glm::vec3& centre, bool inward) {
    ASSERT_FALSE(m.triangles().empty());
    for (const Triangle& t : m.triangles()) {
        glm::vec3 g = geometricNormal(t);
        glm::vec3 mid = (t.v[0].p + t.v[1].p + t.v[2].p) / 3.0f;
        for (const Vertex& v : t.v)
            EXPECT_GT(glm::dot(g, v.n), 0.0f);
        float side = glm::dot(g, mid - centre);
        EXPECT_TRUE(inward ? side < 0.0f : side > 0.0f);
    }
}

} // namespace

TEST(MeshTest, PrimitivesFaceOutwardAndInwardOnRequest) {
    Mesh sphere, inside, box, cylinder;
    sphere.ellipsoid({1, 2, 3}, {1, 2, 0.5f}, 16, 8, UvRect{});
    expectClosedAround(sphere, {1, 2, 3}, false);
    inside.ellipsoid({0, 0, 0}, glm::vec3(1.0f), 16, 8, UvRect{}, true);
    expectClosedAround(inside, {0, 0, 0}, true);
    box.box(glm::rotate(glm::mat4(1.0f), 0.7f, glm::vec3(1, 1, 0)), UvRect{});
    expectClosedAround(box, {0, 0, 0}, false);
    EXPECT_EQ(box.triangles().size(), 12u);
    UvRect cap;
    cylinder.cylinder({0, 0, 0}, {0, 0, 2}, 0.5f, 0.3f, 12, UvRect{}, &cap, &cap);
    expectClosedAround(cylinder, {0, 0, 1}, false);
}

TEST(MeshTest, MirroredCopiesStayFrontFacing) {
    Mesh part, whole;
    part.box({0.2f, 0, 0}, {1, 0.1f, 0.3f}, UvRect{});
    whole.append(part, glm::scale(glm::mat4(1.0f), glm::vec3(-1, 1, 1)));
    expectClosedAround(whole, {-0.6f, 0.05f, 0.15f}, false);
    Bounds b = whole.bounds();
    EXPECT_FLOAT_EQ(b.min.x, -1.0f);
    EXPECT_FLOAT_EQ(b.max.x, -0.2f);
}

TEST(MeshTest, PolesBecomeFansWithMidCellTextureCoordinates) {
    Mesh sphere;
    const int ns = 8, nt = 4;
    sphere.ellipsoid({0, 0, 0}, glm::vec3(1.0f), ns, nt, UvRect{});
    // Two pole rows of fans, quads split in two in between, nothing degenerate.
    EXPECT_EQ(sphere.triangles().size(), size_t(2 * ns + 2 * ns * (nt - 2)));
    int apexes = 0;
    for (const Triangle& t : sphere.triangles())
        for (const Vertex& v : t.v)
            if (std::fabs(std::fabs(v.p.y) - 1.0f) < 1e-6f) {
                ++apexes;
                float cell = v.uv.x * ns;
                EXPECT_NEAR(cell - std::floor(cell), 0.5f, 1e-4f);
                EXPECT_NEAR(std::fabs(v.n.y), 1.0f, 1e-3f);
            }
    EXPECT_EQ(apexes, 2 * ns);
}

TEST(MeshTest, KeepFacingDropsWhatTheViewerCannotSee) {
    Mesh box;
    box.box({1, -0.5f, -0.5f}, {2, 0.5f, 0.5f}, UvRect{});
    box.keepFacing({0, 0, 0});
    ASSERT_EQ(box.triangles().size(), 2u); // only the -x face looks at the origin
    for (const Triangle& t : box.triangles())
        EXPECT_LT(geometricNormal(t).x, 0.0f);
}

TEST(ObjWriterTest, WritesOneMaterialTheLoaderReadsFirst) {
    std::string dir = tempFolder("obj");
    Mesh m;
    m.quad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-0.0000001f, 1, 0}, UvRect{});
    MaterialDesc mat;
    mat.diffuse = {0.25f, 0.5f, 1.0f};
    mat.shininess = 128.0f;
    mat.texture = "t.jpg";
    writeObj(dir, "quad", m, mat);
    std::string obj = readFile(dir + "/quad.obj");
    std::string mtl = readFile(dir + "/quad.mtl");
    EXPECT_NE(obj.find("mtllib quad.mtl\n"), std::string::npos);
    EXPECT_NE(obj.find("usemtl DefaultMaterial\n"), std::string::npos);
    EXPECT_EQ(obj.find("-0.000000"), std::string::npos);
    // Four corners shared by two triangles: four positions, one normal.
    size_t positions = 0, normals = 0, faces = 0;
    std::istringstream lines(obj);
    for (std::string l; std::getline(lines, l);) {
        positions += l.rfind("v ", 0) == 0;
        normals += l.rfind("vn ", 0) == 0;
        faces += l.rfind("f ", 0) == 0;
    }
    EXPECT_EQ(positions, 4u);
    EXPECT_EQ(normals, 1u);
    EXPECT_EQ(faces, 2u);
    EXPECT_NE(obj.find("f 1/1/1 2/2/1 3/3/1\n"), std::string::npos);
    EXPECT_NE(mtl.find("newmtl DefaultMaterial\n"), std::string::npos);
    EXPECT_NE(mtl.find("Kd 0.250000 0.500000 1.000000\n"), std::string::npos);
    EXPECT_NE(mtl.find("Ns 128.000000\n"), std::string::npos);
    EXPECT_NE(mtl.find("map_Kd t.jpg\n"), std::string::npos);
}

TEST(CanvasTest, RowZeroIsTheBottomOfTheSavedPicture) {
    // The game uploads FreeImage's first stored row as v = 0, and OBJ puts v = 0 at the
    // bottom: canvas row 0 must land there. Icons take the same path, with alpha.
    std::string dir = tempFolder("saved");
    Canvas c(16, 16, glm::vec3(0.0f, 0.0f, 1.0f)), alpha(16, 16, glm::vec3(1.0f));
    c.fillRect(0, 0, 16, 4, glm::vec3(1.0f, 0.0f, 0.0f));
    alpha.fillRect(0, 12, 16, 16, glm::vec3(0.0f)); // the top rows see-through
    c.saveJpeg(dir + "/rows.jpg", 95);
    c.savePng(dir + "/rows.png", alpha);
    struct Saved {
        FREE_IMAGE_FORMAT format;
        const char* name;
        unsigned bpp;
    };
    for (const Saved& saved : {Saved{FIF_JPEG, "/rows.jpg", 24}, Saved{FIF_PNG, "/rows.png", 32}}) {
        SCOPED_TRACE(saved.name);
        FIBITMAP* img = FreeImage_Load(saved.format, (dir + saved.name).c_str(), 0);
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(FreeImage_GetBPP(img), saved.bpp);
        const int mid = 8 * int(saved.bpp / 8);
        const BYTE* bottom = FreeImage_GetScanLine(img, 1) + mid;
        const BYTE* top = FreeImage_GetScanLine(img, 14) + mid;
        EXPECT_GT(bottom[FI_RGBA_RED], 200);
        EXPECT_LT(bottom[FI_RGBA_BLUE], 60);
        EXPECT_GT(top[FI_RGBA_BLUE], 200);
        EXPECT_LT(top[FI_RGBA_RED], 60);
        if (saved.bpp == 32) {
            EXPECT_EQ(bottom[FI_RGBA_ALPHA], 255);
            EXPECT_EQ(top[FI_RGBA_ALPHA], 0);
        }
        FreeImage_Unload(img);
    }
}

TEST(CanvasTest, GlyphDotsJoinWithoutGaps) {
    Canvas c(12, 10, glm::vec3(1.0f));
    // '-' is one row of five dots; at fractional positions they must still form a bar.
    c.text("-", {0.3f, 0.3f}, {2.0f, 0}, {0, 1.0f}, glm::vec3(0.0f));
    for (int x = 2; x <= 8; ++x)
        EXPECT_LT(c.at(x, 3).r, 0.05f) << "x = " << x;
}

TEST(CanvasTest, PolygonsFillTheirInsideOnlyWhicheverWayTheyWind) {
    // A dart like the icon's ship: concave at the notch (8, 6).
    std::vector<glm::vec2> dart = {{8, 15}, {2, 2}, {8, 6}, {14, 2}};
    Canvas forward(16, 16), backward(16, 16);
    forward.fillPolygon(dart, glm::vec3(1.0f));
    backward.fillPolygon({dart.rbegin(), dart.rend()}, glm::vec3(1.0f));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_NEAR(forward.at(x, y).r, backward.at(x, y).r, 1e-5f) << x << ", " << y;
    EXPECT_FLOAT_EQ(forward.at(7, 9).r, 1.0f); // well inside
    EXPECT_FLOAT_EQ(forward.at(7, 3).r, 0.0f); // inside the hull, below the notch
    EXPECT_FLOAT_EQ(forward.at(1, 12).r, 0.0f);
    float edge = forward.at(3, 5).r; // the left edge crosses this pixel
    EXPECT_GT(edge, 0.05f);
    EXPECT_LT(edge, 0.95f);
}

// Shared parts are spliced in where they are included, nested ones too, and the shared
// constants are the game's; a missing part is named, and a part that includes itself
// again is reported as the cycle it is, not as a missing file.
TEST(ShaderSourcesTest, IncludesAreExpandedAndCyclesNamed) {
    const std::string dir = tempFolder("shaders");
    auto write = [&](const std::string& name, const std::string& text) {
        drifthold::test::writeFile(dir, name, text);
    };
    write("inner.glsl", "float inner;\n");
    write("outer.glsl", "#include \"inner.glsl\"\nfloat outer;\n");
    write("main.vert", "#version 330 core\n#include \"outer.glsl\"\n"
                       "  #include \"SharedConstants.glsl\"\nvoid main(){}\n");
    std::string text, problem;
    ASSERT_TRUE(expandShader(dir, "main.vert", text, problem)) << problem;
    const std::string versionLine = "#version 330 core\n";
    ASSERT_EQ(text.compare(0, versionLine.size(), versionLine), 0);
    const std::string body = text.substr(text.find("edit it there.\n") + 15);
    EXPECT_EQ(body, "float inner;\nfloat outer;\n" + glslSharedConstants() + "void main(){}\n");
    EXPECT_NE(glslSharedConstants().find("const float kFrameWidth = 1024.0"), std::string::npos);

    write("missing.frag", "#version 330 core\n#include \"outer.glsl\"\n#include \"none.glsl\"\n");
    EXPECT_FALSE(expandShader(dir, "missing.frag", text, problem));
    EXPECT_NE(problem.find("none.glsl (included by missing.frag)"), std::string::npos) << problem;

    write("a.glsl", "#include \"b.glsl\"\n");
    write("b.glsl", "#include \"a.glsl\"\n");
    write("cycle.frag", "#version 330 core\n#include \"a.glsl\"\n");
    EXPECT_FALSE(expandShader(dir, "cycle.frag", text, problem));
    EXPECT_EQ(problem, "include cycle: cycle.frag -> a.glsl -> b.glsl -> a.glsl");
}
