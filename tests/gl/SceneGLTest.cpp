// Uploading and drawing scene objects, and the light reaching the basic program.
#include "gfx/ShaderProgram.h"
#include "gl/support/GLTest.h"
#include "scene/Geometry.h"
#include "scene/Light.h"

#include <unistd.h>

#include <memory>

using namespace drifthold;
using namespace drifthold::scene;

namespace {

std::string dir() {
    return std::string(::testing::TempDir()) + "drifthold_scene_" + std::to_string(getpid());
}

std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertPath,
                                            const std::string& fragPath) {
    auto program = std::make_unique<ShaderProgram>();
    GLuint shader = 0;
    program->attachShaderFile(vertPath, GL_VERTEX_SHADER, shader);
    program->attachShaderFile(fragPath, GL_FRAGMENT_SHADER, shader);
    program->link();
    return program;
}

std::unique_ptr<ShaderProgram> basicProgram() {
    return buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\basic.frag");
}

// Unlit: the material's diffuse colour times the texture.
std::unique_ptr<ShaderProgram> flatProgram() {
    const std::string d = dir();
    test::writeFile(d + "/flat.vert", "#version 330 core\n"
                                      "in vec3 vPosition;\nin vec2 vUV;\n"
                                      "uniform mat4 VP;\nuniform mat4 modelMatrix;\n"
                                      "out vec2 uv;\n"
                                      "void main(){uv=vUV;"
                                      "gl_Position=VP*modelMatrix*vec4(vPosition,1.0);}\n");
    test::writeFile(d + "/flat.frag",
                    "#version 330 core\n"
                    "layout(std140) uniform Material{vec4 diffuse;vec4 ambient;vec4 specular;"
                    "vec4 emissive;float shininess;} material;\n"
                    "uniform sampler2D colorTexture;\nin vec2 uv;\nout vec4 fragColor;\n"
                    "void main(){fragColor=material.diffuse*texture(colorTexture,uv);}\n");
    return buildProgram(d + "/flat.vert", d + "/flat.frag");
}

// A full-height quad over clip-space x in [x0, x1].
MeshData quad(float x0, float x1, glm::vec4 diffuse = glm::vec4(1.0f), bool normals = true,
              bool uvs = true) {
    MeshData mesh;
    mesh.positions.reset(new float[12]{x0, -1, 0, x1, -1, 0, x1, 1, 0, x0, 1, 0});
    mesh.hasPositions = true;
    if (normals) {
        mesh.normals.reset(new float[12]{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
        mesh.hasNormals = true;
    }
    if (uvs) {
        mesh.uvs.reset(new float[8]{0, 0, 1, 0, 1, 1, 0, 1});
        mesh.hasUVs = true;
    }
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.vertexCount = 4;
    mesh.indexCount = 6;
    mesh.boundsMin = glm::vec3(x0, -1, 0);
    mesh.boundsMax = glm::vec3(x1, 1, 0);
    mesh.material.diffuse = diffuse;
    return mesh;
}

void clearErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

GLint attributeEnabled(GLuint program, const char* name) {
    GLint enabled = -1;
    glGetVertexAttribiv(static_cast<GLuint>(glGetAttribLocation(program, name)),
                        GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    return enabled;
}

// A small off-screen target to draw into and read back.
class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, 64, 64);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteTextures(1, &colour);
        glViewport(0, 0, 1024, 768);
    }
    void drawFlat(Geometry& g) { g.draw(glm::mat4(1.0f), glm::mat4(1.0f)); }

    GLuint colour = 0, fbo = 0;
};

void expectColour(test::Rgba p, int r, int g, int b) {
    EXPECT_EQ(p.r, r);
    EXPECT_EQ(p.g, g);
    EXPECT_EQ(p.b, b);
}

} // namespace

TEST(GeometryUpload, MissingNormalsAndUVsStayDisabledButPositionsAndIndicesAreMade) {
    auto basic = basicProgram();
    glUseProgram(basic->handle);
    clearErrors();
    Geometry bare(glm::mat4(1.0f), quad(-1, 1, glm::vec4(1.0f), false, false), basic.get());
    Geometry full(glm::mat4(1.0f), quad(-1, 1), basic.get());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    EXPECT_TRUE(glIsBuffer(bare.mesh.positionBuffer));
    EXPECT_TRUE(glIsBuffer(bare.mesh.indexBuffer));
    EXPECT_EQ(bare.mesh.normalBuffer, 0u);
    EXPECT_EQ(bare.mesh.uvBuffer, 0u);
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0) << "the upload leaves no vertex array bound";

    glBindVertexArray(bare.vao);
    EXPECT_EQ(attributeEnabled(basic->handle, "vPosition"), 1);
    EXPECT_EQ(attributeEnabled(basic->handle, "vNormal"), 0);
    EXPECT_EQ(attributeEnabled(basic->handle, "vUV"), 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), bare.mesh.indexBuffer);
    glBindVertexArray(full.vao);
    EXPECT_EQ(attributeEnabled(basic->handle, "vNormal"), 1);
    EXPECT_EQ(attributeEnabled(basic->handle, "vUV"), 1);
    glBindVertexArray(0);
    glUseProgram(0);
}

TEST(GeometryUpload, ObjectsFromOneRecordShareArraysButNotGLObjects) {
    auto basic = basicProgram();
    const MeshData record = quad(-1, 1);
    GLuint firstVao = 0, firstTexture = 0, firstBuffer = 0;
    {
        Geometry a(glm::mat4(1.0f), record, basic.get());
        Geometry b(glm::mat4(1.0f), record, basic.get());
        EXPECT_EQ(a.mesh.positions.get(), b.mesh.positions.get());
        EXPECT_NE(a.mesh.indices.data(), record.indices.data());
        EXPECT_NE(a.vao, b.vao);
        EXPECT_NE(a.texture, b.texture);
        EXPECT_NE(a.materialBuffer, b.materialBuffer);
        EXPECT_NE(a.mesh.positionBuffer, b.mesh.positionBuffer);
        EXPECT_NE(a.mesh.indexBuffer, b.mesh.indexBuffer);
        EXPECT_NE(a.mesh.uvBuffer, b.mesh.uvBuffer);
        EXPECT_EQ(record.positionBuffer, 0u) << "the source record is not written";
        firstVao = a.vao, firstTexture = a.texture, firstBuffer = a.mesh.positionBuffer;
    }
    EXPECT_FALSE(glIsVertexArray(firstVao));
    EXPECT_FALSE(glIsTexture(firstTexture));
    EXPECT_FALSE(glIsBuffer(firstBuffer));
}

TEST_F(DrawTest, EachObjectDrawsWithItsOwnMaterial) {
    auto flat = flatProgram();
    Geometry red(glm::mat4(1.0f), quad(-1, 0, {1, 0, 0, 1}), flat.get());
    Geometry green(glm::mat4(1.0f), quad(0, 1, {0, 1, 0, 1}), flat.get());
    drawFlat(red);
    drawFlat(green);
    expectColour(test::readPixel(16, 32), 255, 0, 0);
    expectColour(test::readPixel(48, 32), 0, 255, 0);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), flat->handle) << "draw leaves its program current";
    glUseProgram(0);
}

TEST_F(DrawTest, MeshWithoutImageSamplesWhite) {
    auto flat = flatProgram();
    Geometry g(glm::mat4(1.0f), quad(-1, 1, {1, 1, 1, 1}), flat.get());
    glBindTexture(GL_TEXTURE_2D, g.texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 1);
    drawFlat(g);
    expectColour(test::readPixel(32, 32), 255, 255, 255);
    glUseProgram(0);
}

TEST_F(DrawTest, MeshImageIsReadAsBgr) {
    auto flat = flatProgram();
    // 2x2 pixels, rows padded to 4 bytes as the image decoder delivers them: all blue.
    const unsigned char pixels[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0};
    MeshData mesh = quad(-1, 1);
    mesh.texturePixels = pixels;
    mesh.textureWidth = 2;
    mesh.textureHeight = 2;
    Geometry g(glm::mat4(1.0f), mesh, flat.get());
    drawFlat(g);
    expectColour(test::readPixel(32, 32), 0, 0, 255);
    glUseProgram(0);
}

TEST(Light, ReachesTheBasicProgram) {
    auto basic = basicProgram();
    glUseProgram(basic->handle);
    Light light;
    light.upload(basic->handle);
    const std::pair<const char*, glm::vec3> expected[] = {
        {"lights[0].l_position", {0, 0, 0.5f}},
        {"lights[0].l_ambient", {0.25f, 0.25f, 0.25f}},
        {"lights[0].l_diffuse", {2, 2, 2}},
        {"lights[0].l_specular", {0, 0, 0}}};
    for (const auto& [name, value] : expected) {
        const GLint location = glGetUniformLocation(basic->handle, name);
        ASSERT_NE(location, -1) << name;
        glm::vec3 read(-9.0f);
        glGetUniformfv(basic->handle, location, &read.x);
        EXPECT_EQ(read, value) << name;
    }
    glUseProgram(0);
}

TEST(Light, ProgramLackingOneUniformGetsTheOtherThree) {
    const std::string d = dir();
    test::writeFile(d + "/lit.vert", "#version 330 core\nin vec3 vPosition;\n"
                                     "void main(){gl_Position=vec4(vPosition,1.0);}\n");
    test::writeFile(d + "/lit.frag",
                    "#version 330 core\n"
                    "struct Light{vec3 l_position;vec3 l_ambient;vec3 l_diffuse;};\n"
                    "uniform Light lights[1];\nout vec4 fragColor;\n"
                    "void main(){fragColor=vec4(lights[0].l_position+"
                    "lights[0].l_ambient+lights[0].l_diffuse,1.0);}\n");
    auto program = buildProgram(d + "/lit.vert", d + "/lit.frag");
    ASSERT_EQ(glGetUniformLocation(program->handle, "lights[0].l_specular"), -1);
    glUseProgram(program->handle);
    clearErrors();
    Light light;
    light.upload(program->handle);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glm::vec3 diffuse(0.0f);
    glGetUniformfv(program->handle, glGetUniformLocation(program->handle, "lights[0].l_diffuse"),
                   &diffuse.x);
    EXPECT_EQ(diffuse, glm::vec3(2.0f));
    glm::vec3 position(-1.0f);
    glGetUniformfv(program->handle, glGetUniformLocation(program->handle, "lights[0].l_position"),
                   &position.x);
    EXPECT_EQ(position, glm::vec3(0, 0, 0.5f));
    glUseProgram(0);
}
