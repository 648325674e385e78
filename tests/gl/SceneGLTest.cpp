// Uploading and drawing scene objects, and the light reaching the basic program.
#include "gl/support/GLTest.h"
#include "scene/Geometry.h"
#include "scene/Light.h"

#include <filesystem>

using namespace drifthold;
using namespace drifthold::scene;

namespace {

// A full-height quad over clip-space x in [x0, x1].
MeshData quad(float x0, float x1, glm::vec4 diffuse = glm::vec4(1.0f), bool normalsAndUVs = true) {
    MeshData mesh;
    mesh.positions.reset(new float[12]{x0, -1, 0, x1, -1, 0, x1, 1, 0, x0, 1, 0});
    mesh.hasPositions = true;
    if (normalsAndUVs) {
        mesh.normals.reset(new float[12]{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
        mesh.uvs.reset(new float[8]{0, 0, 1, 0, 1, 1, 0, 1});
        mesh.hasNormals = mesh.hasUVs = true;
    }
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.vertexCount = 4;
    mesh.indexCount = 6;
    mesh.material.diffuse = diffuse;
    return mesh;
}

GLint attributeEnabled(GLuint program, const char* name) {
    GLint enabled = -1;
    glGetVertexAttribiv(static_cast<GLuint>(glGetAttribLocation(program, name)),
                        GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    return enabled;
}

void clearErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

} // namespace

// A mesh without normals or UVs gets neither buffer nor enabled attribute, but still its
// position and index buffers; the upload leaves no vertex array bound.
TEST(GeometryUpload, MissingNormalsAndUVsStayDisabledButPositionsAndIndicesAreMade) {
    auto basic = test::basicProgram();
    glUseProgram(basic->handle);
    clearErrors();
    Geometry bare(glm::mat4(1.0f), quad(-1, 1, glm::vec4(1.0f), false), basic.get());
    Geometry full(glm::mat4(1.0f), quad(-1, 1), basic.get());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(glIsBuffer(bare.mesh.positionBuffer) && glIsBuffer(bare.mesh.indexBuffer));
    EXPECT_EQ(bare.mesh.normalBuffer, 0u);
    EXPECT_EQ(bare.mesh.uvBuffer, 0u);
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
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

// Two objects made from one record share its arrays but get their own GL objects (so one
// object's destructor cannot delete the other's), and the record itself is not written.
TEST(GeometryUpload, ObjectsFromOneRecordShareArraysButNotGLObjects) {
    auto basic = test::basicProgram();
    const MeshData record = quad(-1, 1);
    GLuint firstVao = 0, firstTexture = 0, firstBuffer = 0;
    {
        Geometry a(glm::mat4(1.0f), record, basic.get());
        Geometry b(glm::mat4(1.0f), record, basic.get());
        EXPECT_EQ(a.mesh.positions.get(), b.mesh.positions.get());
        EXPECT_NE(a.vao, b.vao);
        EXPECT_NE(a.texture, b.texture);
        EXPECT_NE(a.materialBuffer, b.materialBuffer);
        EXPECT_NE(a.mesh.positionBuffer, b.mesh.positionBuffer);
        EXPECT_NE(a.mesh.indexBuffer, b.mesh.indexBuffer);
        EXPECT_NE(a.mesh.uvBuffer, b.mesh.uvBuffer);
        EXPECT_EQ(record.positionBuffer, 0u);
        firstVao = a.vao, firstTexture = a.texture, firstBuffer = a.mesh.positionBuffer;
    }
    EXPECT_FALSE(glIsVertexArray(firstVao) || glIsTexture(firstTexture) || glIsBuffer(firstBuffer));
}

// Drawn unlit (material diffuse times texture): each object keeps its own material, a mesh
// without an image samples a 1x1 white texel, and a mesh image is read as BGR.
TEST(GeometryDraw, EachObjectDrawsWithItsOwnMaterialAndTexture) {
    test::writeFile(test::tempPath("flat.vert"),
                    "#version 330 core\nin vec3 vPosition;\nin vec2 vUV;\n"
                    "uniform mat4 VP;\nuniform mat4 modelMatrix;\nout vec2 uv;\n"
                    "void main(){uv=vUV;gl_Position=VP*modelMatrix*vec4(vPosition,1.0);}\n");
    test::writeFile(test::tempPath("flat.frag"),
                    "#version 330 core\n"
                    "layout(std140) uniform Material{vec4 diffuse;vec4 ambient;vec4 specular;"
                    "vec4 emissive;float shininess;} material;\n"
                    "uniform sampler2D colorTexture;\nin vec2 uv;\nout vec4 fragColor;\n"
                    "void main(){fragColor=material.diffuse*texture(colorTexture,uv);}\n");
    auto flat = test::buildProgram(test::tempPath("flat.vert"), test::tempPath("flat.frag"));
    // 2x2 pixels, rows padded to 4 bytes as the image decoder delivers them: all blue.
    const unsigned char pixels[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0};
    MeshData image = quad(0.5f, 1);
    image.texturePixels = pixels;
    image.textureWidth = image.textureHeight = 2;
    Geometry red(glm::mat4(1.0f), quad(-1, -0.5f, {1, 0, 0, 1}), flat.get());
    Geometry green(glm::mat4(1.0f), quad(-0.5f, 0, {0, 1, 0, 1}), flat.get());
    Geometry white(glm::mat4(1.0f), quad(0, 0.5f), flat.get());
    Geometry blue(glm::mat4(1.0f), image, flat.get());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (Geometry* g : {&red, &green, &white, &blue})
        g->draw(glm::mat4(1.0f), glm::mat4(1.0f));
    const std::pair<int, glm::ivec3> expected[] = {
        {128, {255, 0, 0}}, {384, {0, 255, 0}}, {640, {255, 255, 255}}, {896, {0, 0, 255}}};
    for (const auto& [x, colour] : expected) {
        const test::Rgba p = test::readPixel(x, 384);
        EXPECT_EQ(glm::ivec3(p.r, p.g, p.b), colour) << "at x " << x;
    }
    GLint current = 0, width = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), flat->handle) << "draw leaves its program current";
    glBindTexture(GL_TEXTURE_2D, white.texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    glUseProgram(0);
}

// Every field of the C++ record reaches the game's own "Material" block at its offset, and
// the buffer covers the whole block as std140 lays it out (80 bytes for the 68-byte record).
TEST(GeometryDraw, TheMaterialBlockReadsEveryFieldOfTheRecord) {
    const std::string folder = test::tempPath("material/");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file("Assets/Shader/Material.glsl", folder + "Material.glsl",
                               std::filesystem::copy_options::overwrite_existing);
    test::writeFile(folder + "probe.vert", "#version 330 core\nin vec3 vPosition;\n"
                                           "void main(){gl_Position=vec4(vPosition,1.0);}\n");
    test::writeFile(folder + "probe.frag",
                    "#version 330 core\n#include \"Material.glsl\"\nuniform int field;\n"
                    "out vec4 fragColor;\nvoid main(){\n"
                    "  vec4 v[5]=vec4[](material.diffuse,material.ambient,material.specular,\n"
                    "    material.emissive,vec4(vec3(material.shininess/128.0),1.0));\n"
                    "  fragColor=v[field];}\n");
    auto probe = test::buildProgram(folder + "probe.vert", folder + "probe.frag");
    MeshData mesh = quad(-1, 1, {0.2f, 0.4f, 0.6f, 1.0f});
    mesh.material.ambient = {0.8f, 0.6f, 0.4f, 1.0f};
    mesh.material.specular = {0.1f, 0.9f, 0.3f, 1.0f};
    mesh.material.emissive = {0.7f, 0.2f, 0.5f, 1.0f};
    mesh.material.shininess = 96.0f;
    Geometry object(glm::mat4(1.0f), mesh, probe.get());

    GLint blockSize = 0, bufferSize = 0;
    glGetActiveUniformBlockiv(probe->handle, glGetUniformBlockIndex(probe->handle, "Material"),
                              GL_UNIFORM_BLOCK_DATA_SIZE, &blockSize);
    glBindBuffer(GL_UNIFORM_BUFFER, object.materialBuffer);
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &bufferSize);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    EXPECT_GT(blockSize, static_cast<GLint>(sizeof(Material)));
    EXPECT_GE(bufferSize, blockSize);

    const glm::vec4 fields[5] = {mesh.material.diffuse, mesh.material.ambient,
                                 mesh.material.specular, mesh.material.emissive,
                                 glm::vec4(glm::vec3(0.75f), 1.0f)};
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    for (int field = 0; field < 5; ++field) {
        glUseProgram(probe->handle);
        glUniform1i(glGetUniformLocation(probe->handle, "field"), field);
        object.draw(glm::mat4(1.0f), glm::mat4(1.0f));
        const test::Rgba p = test::readPixel(512, 384);
        const glm::vec3 read = glm::vec3(p.r, p.g, p.b) / 255.0f;
        EXPECT_LE(glm::length(read - glm::vec3(fields[field])), 0.01f) << "field " << field;
    }
    glUseProgram(0);
}

// The light's four values reach the basic program without a GL error.
TEST(Light, ReachesTheBasicProgram) {
    auto basic = test::basicProgram();
    glUseProgram(basic->handle);
    clearErrors();
    const Light light;
    light.upload(basic->handle);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const std::pair<const char*, glm::vec3> expected[] = {{"lights[0].l_position", light.position},
                                                          {"lights[0].l_ambient", light.ambient},
                                                          {"lights[0].l_diffuse", light.diffuse},
                                                          {"lights[0].l_specular", light.specular}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(test::uniform<glm::vec3>(basic->handle, name), value) << name;
    glUseProgram(0);
}
