// The floor for the benchmark: the game's window and frame loop running the game's
// passes with nothing in them. A scene pass of 10000 points into the scene framebuffer,
// three full-screen passes reading its colour and depth into three more framebuffers,
// the three results drawn to the window in turn, each with pass-through shaders. Prints
// "frametime: <ms>ms" from the second frame on, like the game with F2; ends after the
// given number of frames (default 720) or on Escape. After the number of frames it takes
// the game's --fullscreen, --render-size and --render-scale, and renders and presents at
// the sizes the game would.
#include "diagnostics/GpuTimers.h"
#include "gfx/Framebuffer.h"
#include "gfx/RenderSize.h"
#include "platform/CommandLine.h"
#include "platform/Display.h"
#include "platform/Window.h"

#include <cstdlib>
#include <iostream>
#include <vector>

namespace {

constexpr int kPoints = 10000;

const char* const kPointVertex = R"(#version 330 core
in vec3 vPosition;
void main() { gl_Position = vec4(vPosition, 1.0); }
)";
const char* const kPointFragment = R"(#version 330 core
out vec4 fragColor;
void main() { fragColor = vec4(1.0); }
)";
const char* const kQuadVertex = R"(#version 330 core
in vec3 vPosition;
out vec2 uv;
void main() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}
)";
// Reads both textures, as every pass of the game does.
const char* const kQuadFragment = R"(#version 330 core
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;
in vec2 uv;
out vec4 fragColor;
void main() {
    float depth = texture(depthTexture, uv).r;
    fragColor = vec4(texture(colorTexture, uv).rgb, depth >= 0.0 ? 1.0 : 0.0);
}
)";

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::cout << "floor: shader does not compile\n" << log << std::endl;
        std::exit(1);
    }
    return shader;
}

GLuint program(const char* vertex, const char* fragment) {
    const GLuint handle = glCreateProgram();
    glAttachShader(handle, compile(GL_VERTEX_SHADER, vertex));
    glAttachShader(handle, compile(GL_FRAGMENT_SHADER, fragment));
    glBindFragDataLocation(handle, 0, "fragColor");
    glLinkProgram(handle);
    GLint ok = 0;
    glGetProgramiv(handle, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::cout << "floor: program does not link" << std::endl;
        std::exit(1);
    }
    return handle;
}

// The same target as the game's framebuffers: RGB8 colour and 24-bit depth textures.
struct Target {
    GLuint fbo = 0, color = 0, depth = 0;

    Target() {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenTextures(1, &color);
        glGenTextures(1, &depth);
        resize(drifthold::kFrameSize);
        glBindTexture(GL_TEXTURE_2D, color);
        nearestClamped();
        glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, color, 0);
        glBindTexture(GL_TEXTURE_2D, depth);
        nearestClamped();
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth, 0);
        const GLenum buffers[] = {GL_COLOR_ATTACHMENT0};
        glDrawBuffers(1, buffers);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            std::cout << "floor: incomplete framebuffer" << std::endl;
            std::exit(1);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    void resize(drifthold::PixelSize size) const {
        glBindTexture(GL_TEXTURE_2D, color);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size.width, size.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindTexture(GL_TEXTURE_2D, depth);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, size.width, size.height, 0,
                     GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    static void nearestClamped() {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
};

GLuint vertexArray(GLuint prog, const std::vector<float>& xyz) {
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(xyz.size() * sizeof(float)), xyz.data(),
                 GL_STATIC_DRAW);
    const GLint position = glGetAttribLocation(prog, "vPosition");
    glEnableVertexAttribArray(static_cast<GLuint>(position));
    glVertexAttribPointer(static_cast<GLuint>(position), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    return vao;
}

// Binds `fbo` and clears all of `size`, then sets the viewport to `into` within it.
void bindTarget(GLuint fbo, drifthold::PixelSize size, const drifthold::Viewport& into) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glViewport(0, 0, size.width, size.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(into.x, into.y, into.width, into.height);
}

void drawQuad(GLuint prog, GLuint vao, const Target& source) {
    glUseProgram(prog);
    glBindVertexArray(vao);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(glGetUniformLocation(prog, "colorTexture"), 0);
    glBindTexture(GL_TEXTURE_2D, source.color);
    glActiveTexture(GL_TEXTURE1);
    glUniform1i(glGetUniformLocation(prog, "depthTexture"), 1);
    glBindTexture(GL_TEXTURE_2D, source.depth);
    glDrawArrays(GL_TRIANGLES, 0, 6);
}

} // namespace

int main(int argc, char** argv) {
    using namespace drifthold;
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 720;
    // The game's own options, after the number of frames.
    const CommandLine line = parseCommandLine(argc > 1 ? argc - 1 : 1, argv + (argc > 1));
    if (!line.run) {
        std::cerr << line.err;
        return line.exitStatus;
    }
    RenderSizeChoice choice;
    choice.basis = line.options.renderBasis.value_or(choice.basis);
    choice.scalePercent = line.options.renderScale.value_or(choice.scalePercent);
    GLFWwindow* window = openGameWindow();
    loadGLEntryPoints();
    Fullscreen fullscreen(window);
    if (line.options.screen == Options::Screen::Fullscreen)
        fullscreen.enter();
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);

    const GLuint pointProgram = program(kPointVertex, kPointFragment);
    const GLuint quadProgram = program(kQuadVertex, kQuadFragment);
    std::vector<float> points;
    points.reserve(kPoints * 3);
    for (int i = 0; i < kPoints; ++i) {
        // A fixed spiral of points over the whole view.
        const float t = static_cast<float>(i) / kPoints;
        points.push_back(2.0f * t - 1.0f);
        points.push_back(static_cast<float>((i * 7919) % kPoints) / kPoints * 2.0f - 1.0f);
        points.push_back(0.0f);
    }
    const GLuint pointVao = vertexArray(pointProgram, points);
    const GLuint quadVao =
        vertexArray(quadProgram, {-1, -1, 0, 1, -1, 0, -1, 1, 0, -1, 1, 0, 1, -1, 0, 1, 1, 0});
    Target scene, shadowTexture, shadowMapping, motionBlur;

    GpuTimers timers;
    PixelSize windowSize, renderSize = kFrameSize;
    Viewport letterboxed;
    double lastTime = 0.0;
    for (long frame = 1; frame <= frames + 1 && !glfwWindowShouldClose(window); ++frame) {
        const double now = glfwGetTime();
        const double frameTime = now - lastTime;
        lastTime = now;
        if (frame > 1)
            std::cout << "frametime: " << frameTime * 1000.0 << "ms" << std::endl;
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glfwPollEvents();
        // The sizes the game would take: its passes' and its letterbox in the window.
        PixelSize framebuffer;
        glfwGetFramebufferSize(window, &framebuffer.width, &framebuffer.height);
        if (framebuffer != windowSize) {
            windowSize = framebuffer;
            letterboxed = letterbox(framebuffer.width, framebuffer.height);
            const PixelSize wanted = renderSizeFor(choice, framebuffer).size;
            if (wanted != PixelSize{} && wanted != renderSize) {
                renderSize = wanted;
                for (const Target* target : {&scene, &shadowTexture, &shadowMapping, &motionBlur})
                    target->resize(renderSize);
            }
        }
        const Viewport whole{0, 0, renderSize.width, renderSize.height};

        timers.begin(Pass::Scene);
        bindTarget(scene.fbo, renderSize, whole);
        timers.end();
        timers.begin(Pass::Particles);
        glUseProgram(pointProgram);
        glBindVertexArray(pointVao);
        glDrawArrays(GL_POINTS, 0, kPoints);
        timers.end();
        timers.begin(Pass::ShadowTexture);
        bindTarget(shadowTexture.fbo, renderSize, whole);
        drawQuad(quadProgram, quadVao, scene);
        timers.end();
        timers.begin(Pass::ShadowMapping);
        bindTarget(shadowMapping.fbo, renderSize, whole);
        drawQuad(quadProgram, quadVao, scene);
        timers.end();
        timers.begin(Pass::MotionBlur);
        bindTarget(motionBlur.fbo, renderSize, whole);
        drawQuad(quadProgram, quadVao, scene);
        timers.end();
        timers.begin(Pass::Present);
        for (const Target* image : {&shadowTexture, &shadowMapping, &motionBlur}) {
            bindTarget(0, windowSize, letterboxed);
            drawQuad(quadProgram, quadVao, *image);
        }
        timers.end();
        timers.endFrame(frame > 1);

        glfwSwapBuffers(window);
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS)
            break;
    }
    glfwTerminate();
    return 0;
}
