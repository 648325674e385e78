#pragma once

namespace drifthold {

// Numbers that both the C++ code and the shaders need, defined once here. The asset
// generator writes them as GLSL constants of the same names into the shaders that use them.

// Every pass renders at this size, and the window opens at it.
constexpr int kFrameWidth = 1024;
constexpr int kFrameHeight = 768;
constexpr float kFrameAspect = static_cast<float>(kFrameWidth) / static_cast<float>(kFrameHeight);

// The play volume is the cube from -kCubeHalfExtent to kCubeHalfExtent on every axis.
constexpr float kCubeHalfExtent = 2.0f;

// Vertical field of view of the game's cameras, in degrees.
constexpr float kCameraFieldOfView = 30.0f;

} // namespace drifthold
