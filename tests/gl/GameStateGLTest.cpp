// The game world built from the shipped assets, and how it is drawn.
#include "gl/support/GLTest.h"

#include "app/GameContext.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Spaceship.h"
#include "states/GameState.h"
#include "states/SceneManager.h"
#include "states/StarSphere.h"

#include <memory>
#include <vector>

using namespace drifthold;

namespace {

class BuiltWorld : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        basic = test::basicProgram();
        glUseProgram(basic->handle);
        scene::Light().upload(basic->handle);
    }
    static void TearDownTestSuite() {
        glDeleteProgram(basic->handle);
        basic.reset();
    }
    // A freshly built world; what init printed goes to `output`.
    std::unique_ptr<GameState> build(std::string* output = nullptr) {
        context = GameContext();
        context.basicProgram = basic.get();
        auto state = std::make_unique<GameState>(&context);
        testing::internal::CaptureStdout();
        state->init();
        const std::string text = testing::internal::GetCapturedStdout();
        if (output != nullptr)
            *output = text;
        return state;
    }

    static inline std::unique_ptr<ShaderProgram> basic;
    GameContext context;
};

std::vector<glm::vec3> junkPositions(const SceneManager& scene) {
    std::vector<glm::vec3> positions;
    for (const auto& entry : scene.objects)
        if (entry.first.rfind("spacejunk", 0) == 0)
            positions.push_back(glm::vec3(entry.second->placementMatrix[3]));
    return positions;
}

} // namespace

// Eleven loads in the game's order, twelve named objects, and the context points at the
// ship and the free camera as soon as the world exists.
TEST_F(BuiltWorld, LoadsElevenModelsInOrderAndNamesTwelveObjects) {
    std::string output;
    auto state = build(&output);
    std::string expected = "Init GameState...\n";
    for (const char* model :
         {"StarSphere\\StarSphere.obj", "SpaceCube\\SpaceCube_narrow.obj",
          "spaceship\\spaceshipTextured.obj", "spaceship\\cockpit.obj", "Meteor\\Meteor.obj",
          "Meteor\\Meteor.obj", "Meteor\\Meteor.obj", "SpaceJunk\\oildrum.obj",
          "SpaceJunk\\slab.obj", "SpaceJunk\\satellite.obj", "ground.obj"}) {
        const std::string path = std::string("Assets\\Models\\") + model;
        expected += "Load model " + path + "\nModel " + path + " loaded\n";
    }
    EXPECT_EQ(output, expected);
    std::vector<std::string> names;
    for (const auto& entry : state->scene->objects) {
        names.push_back(entry.first);
        EXPECT_EQ(entry.second->name, entry.first);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"meteor1", "meteor2", "meteor3", "spacejunk0", "spacejunk1",
                                        "spacejunk2", "spacejunk3", "spacejunk4", "spacejunk5",
                                        "spacejunk6", "spacejunk7", "spacejunk8"}));
    EXPECT_EQ(context.spaceship, state->scene->spaceship);
    EXPECT_EQ(context.activeCamera, state->scene->cameras[0].get());
    EXPECT_FALSE(state->scene->cameras[0]->isFixed());
    EXPECT_TRUE(state->scene->cameras[1]->isFixed());
    EXPECT_EQ(state->scene->spaceship->trail.size(), 1u);

    // Each program with the "Material" block gets a buffer of the block's whole size.
    const scene::Geometry* withBlock[] = {
        state->scene->spaceship, state->scene->starSphere->geometry, state->scene->spaceCube};
    for (const scene::Geometry* object : withBlock) {
        const GLuint program = object->shader->handle;
        GLint blockSize = 0, bufferSize = 0;
        glGetActiveUniformBlockiv(program, glGetUniformBlockIndex(program, "Material"),
                                  GL_UNIFORM_BLOCK_DATA_SIZE, &blockSize);
        glBindBuffer(GL_UNIFORM_BUFFER, object->materialBuffer);
        glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &bufferSize);
        EXPECT_TRUE(blockSize > 0 && bufferSize >= blockSize) << bufferSize << " < " << blockSize;
    }
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

// The layout is seeded the same on every build and stays inside the play area.
TEST_F(BuiltWorld, JunkLayoutIsTheSameOnEveryBuildAndInsideThePlayArea) {
    auto first = build();
    const auto a = junkPositions(*first->scene);
    ASSERT_EQ(a.size(), 9u);
    EXPECT_EQ(a, junkPositions(*build()->scene));
    for (const glm::vec3& p : a)
        EXPECT_LE(glm::max(std::abs(p.x), glm::max(std::abs(p.y), std::abs(p.z))), 1.8f);
    EXPECT_NEAR(first->scene->objects["meteor2"]->placementMatrix[3].x, -1.8f, 1e-5f);
    EXPECT_NEAR(first->scene->objects["meteor3"]->placementMatrix[3].z, 1.4f, 1e-5f);
}

// The sky and cockpit passes change depth function and culling; both must come back.
TEST_F(BuiltWorld, RenderingRestoresDepthFunctionAndLeavesCullingOn) {
    auto state = build();
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    state->update(0.016);
    for (bool cockpit : {false, true}) {
        state->scene->spaceship->cockpitView = cockpit;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        state->render();
        GLint depthFunc = 0, cullMode = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
        glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
        EXPECT_EQ(depthFunc, GL_LESS);
        EXPECT_EQ(cullMode, GL_BACK);
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// The ship sits in the middle of the view, and most of the frame shows the star field.
TEST_F(BuiltWorld, TheFrameShowsStarsShipAndCube) {
    auto state = build();
    glEnable(GL_DEPTH_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kWindowWidth, kWindowHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    state->update(0.016);
    state->render();
    glFinish();
    const test::Rgba centre = test::readPixel(kWindowWidth / 2, kWindowHeight / 2);
    EXPECT_GT(centre.r + centre.g + centre.b, 30);
    int lit = 0;
    for (int y = 0; y < kWindowHeight; y += 64)
        for (int x = 0; x < kWindowWidth; x += 64) {
            const test::Rgba p = test::readPixel(x, y);
            lit += (p.r + p.g + p.b) > 0 ? 1 : 0;
        }
    EXPECT_GT(lit, 12 * 16 / 2);
}
