#version 330 core
// Written by make assets from tools/shaders/StarSphere.frag, which includes the parts
// it shares with other shaders: edit it there.
// The star sphere: the sky texture shown unlit and a little brighter, so the stars
// stay crisp against the dark. A material emissive, if the model has one, adds to it.

uniform sampler2D colorTexture;

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
flat in vec3 eyePosition;
flat in vec3 emissive;

out vec4 fragColor;

void main() {
    vec3 sky = texture(colorTexture, uv).rgb;
    fragColor = vec4(sky * (1.3 + emissive * 0.3), 1.0);
}
