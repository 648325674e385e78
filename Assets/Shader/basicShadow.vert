#version 330 core
// Depth-aware shading: a full-screen pass over the scene image.
#include "ScreenQuad.glsl"

uniform mat4 projectionMatrix;
uniform mat4 bias;

// The same for every pixel: combined once per vertex instead of once per pixel.
flat out mat4 biasProjection;

void main() {
    placeScreenQuad();
    biasProjection = bias * projectionMatrix;
}
