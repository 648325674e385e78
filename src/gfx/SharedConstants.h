#pragma once
#include <string>

namespace drifthold {

// Numbers that both the C++ code and the shaders need, defined once here. ShaderProgram
// declares each of them as a GLSL constant of the same name in every shader it builds.

// Every pass renders at this size, and the window opens at it.
constexpr int kFrameWidth = 1024;
constexpr int kFrameHeight = 768;
constexpr float kFrameAspect = static_cast<float>(kFrameWidth) / static_cast<float>(kFrameHeight);

// The play volume is the cube from -kCubeHalfExtent to kCubeHalfExtent on every axis.
constexpr float kCubeHalfExtent = 2.0f;

// Vertical field of view of the game's cameras, in degrees.
constexpr float kCameraFieldOfView = 30.0f;

// The GLSL declarations of the constants above, one per line.
std::string glslSharedConstants();

} // namespace drifthold
