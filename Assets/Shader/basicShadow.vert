#version 330 core
// Depth-aware shading: a full-screen pass over the scene image.
in vec3 vPosition;

uniform mat4 VP;
uniform mat4 projectionMatrix;
uniform mat4 bias;

out vec2 uv;
// The matrices are the same for every pixel: invert and combine them once per vertex
// instead of once per pixel.
flat out mat4 inverseVP;
flat out mat4 biasProjection;

void main() {
    uv = vPosition.xy * 0.5 + 0.5;
    inverseVP = inverse(VP);
    biasProjection = bias * projectionMatrix;
    gl_Position = vec4(vPosition, 1.0);
}
