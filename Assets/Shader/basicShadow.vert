#version 330 core
// Depth-aware shading: a full-screen pass over the scene image.
in vec3 vPosition;

out vec2 uv;

void main() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}
