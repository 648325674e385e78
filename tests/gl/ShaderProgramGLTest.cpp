// Building shader programs from files, and every way that can fail.
#include "gl/support/GLTest.h"
#include "support/DeathTest.h"

#include <unistd.h>

using namespace drifthold;

namespace {

const char* kVert =
    "#version 330 core\nin vec3 vPosition;\nvoid main(){gl_Position=vec4(vPosition,1.0);}\n";
const char* kFrag = "#version 330 core\nout vec4 fragColor;\nvoid main(){fragColor=vec4(1.0);}\n";

} // namespace

// Backslash paths are mapped, both stages get their own shader, fragColor is colour 0, and
// building leaves the current program alone.
TEST(ShaderProgram, LinksAProgramAndBindsFragColorToZero) {
    const std::string vert = test::writeFile(test::tempPath("ok.vert"), kVert);
    test::writeFile(test::tempPath("ok.frag"), kFrag);
    GLint before = 0, after = 0, attached = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &before);
    ShaderProgram program;
    ASSERT_NE(program.handle, 0u);
    GLuint vs = 0, fs = 0;
    std::string gamePath = vert; // with a backslash, as the game writes paths
    gamePath[gamePath.rfind('/')] = '\\';
    program.attachShaderFile(gamePath, GL_VERTEX_SHADER, vs);
    program.attachShaderFile(test::tempPath("ok.frag"), GL_FRAGMENT_SHADER, fs);
    program.link();
    EXPECT_TRUE(vs != 0 && fs != 0 && vs != fs);
    EXPECT_EQ(glGetFragDataLocation(program.handle, "fragColor"), 0);
    glGetProgramiv(program.handle, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    glGetIntegerv(GL_CURRENT_PROGRAM, &after);
    EXPECT_EQ(before, after);
    EXPECT_NE(glGetUniformBlockIndex(test::basicProgram()->handle, "Material"), GL_INVALID_INDEX);
}

// Every failure ends the game with status 255 and exactly its own line, plus the driver's
// log where there is one.
TEST(ShaderProgramDeathTest, EachFailureEndsWithItsOwnMessage) {
    const std::string frag = test::writeFile(test::tempPath("ok.frag"), kFrag);
    const std::pair<std::string, const char*> cases[] = {
        {"Assets\\Shader\\does-not-exist.vert", "^Shader file missing\n$"},
        {test::writeFile(test::tempPath("empty.vert"), ""), "^Failed to compile shader\n.+\n$"},
        {test::writeFile(test::tempPath("broken.vert"),
                         "#version 330 core\nvoid main(){nope();}\n"),
         "^Failed to compile shader\n(.|\n)*nope(.|\n)*\n$"},
        // Compiles, but a vertex stage without main() cannot link.
        {test::writeFile(test::tempPath("nomain.vert"),
                         "#version 330 core\nvec4 helper(){return vec4(1.0);}\n"),
         "^Failed to link shader program\n(.|\n)*main(.|\n)*\n$"},
        {"not a shader type", "^Invalid shader handle\n$"},
        {"no context", "^No valid program handle\n$"}};
    for (const auto& [vert, message] : cases) {
        EXPECT_EXIT(
            {
                test::matchStdoutOnly();
                if (vert == "no context")
                    glfwMakeContextCurrent(nullptr);
                ShaderProgram program;
                GLuint s = 0;
                if (vert == "not a shader type")
                    program.attachShaderFile(frag, GL_TEXTURE_2D, s);
                program.attachShaderFile(vert, GL_VERTEX_SHADER, s);
                program.attachShaderFile(frag, GL_FRAGMENT_SHADER, s);
                program.link();
            },
            ::testing::ExitedWithCode(255), message);
    }
}
