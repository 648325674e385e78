#version 330 core
// Depth-aware shading: a full-screen pass over the scene image.
#include "ScreenQuad.glsl"

void main() {
    placeScreenQuad();
}
