// What a fresh run of assetgen cannot show by comparing bytes: how the shader sources report
// a broken include. Everything the generator writes is pinned by assetgen.reproducible
// (and its sounds are heard in the audio tests).
#include "ShaderSources.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <string>

using namespace assetgen;

// Shared parts are spliced in where they are included, nested ones too, and the shared
// constants are the game's; a missing part is named, and a part that includes itself
// again is reported as the cycle it is, not as a missing file.
TEST(ShaderSourcesTest, IncludesAreExpandedAndCyclesNamed) {
    const std::string dir = drifthold::test::tempFolder("shaders");
    auto write = [&](const std::string& name, const std::string& text) {
        drifthold::test::writeFile(dir, name, text);
    };
    write("inner.glsl", "float inner;\n");
    write("outer.glsl", "#include \"inner.glsl\"\nfloat outer;\n");
    write("main.vert", "#version 330 core\n#include \"outer.glsl\"\n"
                       "  #include \"SharedConstants.glsl\"\nvoid main(){}\n");
    std::string text, problem;
    ASSERT_TRUE(expandShader(dir, "main.vert", text, problem)) << problem;
    ASSERT_EQ(text.rfind("#version 330 core\n", 0), 0u);
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
