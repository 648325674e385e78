// What a fresh run of assetgen cannot show by comparing bytes: how the shader sources report
// a broken include, and what every sound must keep when a recipe is changed on purpose (a
// loop without a seam around its fundamental, peaks at -3 dBFS, quiet ends). Everything the
// generator writes is otherwise pinned by assetgen.reproducible.
#include "ShaderSources.h"
#include "Sounds.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <utility>

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

// Each file as long as meant, peaking at -3 dBFS; every sound but the loop starts and ends
// quietly. Played in a loop, the engine moves across the join as it moves anywhere inside,
// around a clear fundamental.
TEST(SoundsTest, EverySoundPeaksAtMinus3DbfsLastsAsMeantAndTheEngineLoops) {
    const std::pair<const char*, double> lengths[] = {
        {"engine.wav", 1.0},       {"turn.wav", 0.22},       {"chime.wav", 1.1},
        {"crash-meteor.wav", 1.2}, {"crash-trail.wav", 0.8}, {"click.wav", 0.04}};
    ASSERT_EQ(soundRecipes().size(), std::size(lengths));
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const auto& [file, seconds] = lengths[i];
        const Samples s = soundRecipes()[i].make();
        EXPECT_STREQ(soundRecipes()[i].file, file);
        EXPECT_EQ(s.size(), size_t(framesFor(seconds))) << file;
        EXPECT_NEAR(20.0 * std::log10(peak(s)), kPeakDbfs, 0.01) << file;
        EXPECT_TRUE(i == 0 || (std::fabs(s.front()) < 0.01 && std::fabs(s.back()) < 0.001))
            << file << " starts at " << s.front() << ", ends at " << s.back();
    }
    const Samples s = engineLoop();
    const size_t n = s.size();
    auto at = [&](size_t i) { return s[i % n]; };
    double step = 0.0, bend = 0.0;
    for (size_t i = 1; i + 1 < n; ++i) {
        step = std::max(step, std::fabs(at(i) - at(i - 1)));
        bend = std::max(bend, std::fabs(at(i + 1) - 2.0 * at(i) + at(i - 1)));
    }
    EXPECT_LE(std::fabs(at(n) - at(n - 1)), step);
    EXPECT_LE(std::fabs(at(n) - 2.0 * at(n - 1) + at(n - 2)), bend);
    EXPECT_LE(std::fabs(at(n + 1) - 2.0 * at(n) + at(n - 1)), bend);
    // The amplitude of each harmonic over the whole second.
    auto amplitude = [&](double hz) {
        std::complex<double> sum;
        for (size_t i = 0; i < n; ++i)
            sum += s[i] * std::polar(1.0, 2.0 * kPi * hz * double(i) / kSampleRate);
        return 2.0 * std::abs(sum) / double(n);
    };
    const double fundamental = amplitude(kEngineHz);
    for (int h = 2; h <= 10; ++h)
        EXPECT_GT(fundamental, 2.0 * amplitude(kEngineHz * h)) << h;
    // The noise bed stays a bed: far under the fundamental between the harmonics.
    EXPECT_LT(amplitude(kEngineHz * 1.5), 0.05 * fundamental);
}
