#version 330 core
// Depth-aware shading: a full-screen pass over the scene image.
#include "ScreenQuad.glsl"

uniform mat4 VP;
uniform mat4 projectionMatrix;
uniform mat4 bias;

// The matrices are the same for every pixel: invert and combine them once per vertex
// instead of once per pixel.
flat out mat4 inverseVP;
flat out mat4 biasProjection;

void main() {
    placeScreenQuad();
    inverseVP = inverse(VP);
    biasProjection = bias * projectionMatrix;
}
