#version 330 core
// Written by make assets from tools/shaders/fboBasic.vert, which includes the parts
// it shares with other shaders: edit it there.
// Screen quad: a framebuffer's textures over the whole viewport.
// The full-screen quad of every framebuffer pass: its corners are already in clip
// space, and the texture coordinates follow from them.
in vec3 vPosition;

out vec2 uv;

void placeScreenQuad() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}

void main() {
    placeScreenQuad();
}
