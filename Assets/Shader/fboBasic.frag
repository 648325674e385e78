#version 330 core
// Written by make assets from tools/shaders/fboBasic.frag, which includes the parts
// it shares with other shaders: edit it there.
// Presents a framebuffer's colour as it is.
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;

in vec2 uv;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(colorTexture, uv).rgb, 1.0);
}
