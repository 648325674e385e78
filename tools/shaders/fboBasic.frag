#version 330 core
// Presents a framebuffer's colour as it is.
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;

in vec2 uv;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(colorTexture, uv).rgb, 1.0);
}
