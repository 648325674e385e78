#version 330 core
// Screen quad: a framebuffer's textures over the whole viewport.
#include "ScreenQuad.glsl"

void main() {
    placeScreenQuad();
}
