#version 330 core
// Light-space depth view: the quad covers the light's image plane.
in vec3 vPosition;

out vec2 uv;

void main() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}
