// Building shader programs from files, and every way that can fail.
#include "gfx/ShaderProgram.h"
#include "gl/support/GLTest.h"

#include <unistd.h>

using namespace drifthold;

namespace {

const char* kVert =
    "#version 330 core\nin vec3 vPosition;\nvoid main(){gl_Position=vec4(vPosition,1.0);}\n";
const char* kFrag = "#version 330 core\nout vec4 fragColor;\nvoid main(){fragColor=vec4(1.0);}\n";

// Death-test children print to stderr so the exact stdout text can be matched.
void stdoutToStderr() {
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

std::string dir() {
    return std::string(::testing::TempDir()) + "drifthold_shader_" + std::to_string(getpid());
}

} // namespace

TEST(ShaderProgram, LinksAProgramAndBindsFragColorToZero) {
    const std::string d = dir();
    test::writeFile(d + "/ok.vert", kVert);
    test::writeFile(d + "/ok.frag", kFrag);
    GLint before = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &before);
    ShaderProgram program;
    ASSERT_NE(program.handle, 0u);
    GLuint vs = 0, fs = 0;
    program.attachShaderFile(d + "\\ok.vert", GL_VERTEX_SHADER,
                             vs); // backslash as the game writes it
    program.attachShaderFile(d + "/ok.frag", GL_FRAGMENT_SHADER, fs);
    program.link();
    EXPECT_NE(vs, 0u);
    EXPECT_NE(fs, 0u);
    EXPECT_NE(vs, fs);
    EXPECT_EQ(glGetFragDataLocation(program.handle, "fragColor"), 0);
    GLint attached = 0;
    glGetProgramiv(program.handle, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    GLint after = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &after);
    EXPECT_EQ(before, after) << "building a program must not change the current program";
}

TEST(ShaderProgram, LoadsEveryShippedProgram) {
    const char* pairs[][2] = {{"basic.vert", "basic.frag"}};
    for (auto& pair : pairs) {
        ShaderProgram program;
        GLuint s = 0;
        program.attachShaderFile(std::string("Assets\\Shader\\") + pair[0], GL_VERTEX_SHADER, s);
        program.attachShaderFile(std::string("Assets\\Shader\\") + pair[1], GL_FRAGMENT_SHADER, s);
        program.link();
        EXPECT_NE(glGetUniformBlockIndex(program.handle, "Material"), GL_INVALID_INDEX);
        EXPECT_NE(glGetUniformLocation(program.handle, "lights[0].l_diffuse"), -1);
        EXPECT_NE(glGetUniformLocation(program.handle, "colorTexture"), -1);
    }
}

TEST(ShaderProgramDeathTest, MissingFileWritesOnlyShaderFileMissing) {
    EXPECT_EXIT(
        {
            stdoutToStderr();
            ShaderProgram program;
            GLuint s = 0;
            program.attachShaderFile("Assets\\Shader\\does-not-exist.vert", GL_VERTEX_SHADER, s);
        },
        ::testing::ExitedWithCode(255), "^Shader file missing\n$");
}

TEST(ShaderProgramDeathTest, EmptyFileFailsToCompileAndPrintsTheLog) {
    const std::string path = test::writeFile(dir() + "/empty.vert", "");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            ShaderProgram program;
            GLuint s = 0;
            program.attachShaderFile(path, GL_VERTEX_SHADER, s);
        },
        ::testing::ExitedWithCode(255), "^Failed to compile shader\n.+\n$");
}

TEST(ShaderProgramDeathTest, BrokenSourcePrintsTheCompilerLog) {
    const std::string path =
        test::writeFile(dir() + "/broken.frag", "#version 330 core\nvoid main(){ nope(); }\n");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            ShaderProgram program;
            GLuint s = 0;
            program.attachShaderFile(path, GL_FRAGMENT_SHADER, s);
        },
        ::testing::ExitedWithCode(255), "^Failed to compile shader\n(.|\n)*nope(.|\n)*\n$");
}

TEST(ShaderProgramDeathTest, LinkFailurePrintsTheLinkerLog) {
    // Both stages compile, but the vertex stage has no main().
    const std::string vert = test::writeFile(
        dir() + "/l.vert", "#version 330 core\nvec4 helperWithoutMain(){return vec4(1.0);}\n");
    const std::string frag = test::writeFile(dir() + "/l.frag", kFrag);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            ShaderProgram program;
            GLuint s = 0;
            program.attachShaderFile(vert, GL_VERTEX_SHADER, s);
            program.attachShaderFile(frag, GL_FRAGMENT_SHADER, s);
            program.link();
        },
        ::testing::ExitedWithCode(255), "^Failed to link shader program\n(.|\n)*main(.|\n)*\n$");
}

TEST(ShaderProgramDeathTest, InvalidShaderTypeGivesInvalidShaderHandle) {
    const std::string vert = test::writeFile(dir() + "/t.vert", kVert);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            ShaderProgram program;
            GLuint s = 0;
            program.attachShaderFile(vert, GL_TEXTURE_2D, s); // not a shader type
        },
        ::testing::ExitedWithCode(255), "^Invalid shader handle\n$");
}

TEST(ShaderProgramDeathTest, NoContextGivesNoValidProgramHandle) {
    EXPECT_EXIT(
        {
            stdoutToStderr();
            glfwMakeContextCurrent(nullptr);
            ShaderProgram program;
        },
        ::testing::ExitedWithCode(255), "^No valid program handle\n$");
}
