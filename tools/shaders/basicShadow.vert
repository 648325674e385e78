#version 330 core
// Depth-aware shading: a full-screen pass over the scene image.
#include "ScreenQuad.glsl"

uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
uniform mat4 bias;

// What every pixel needs of the matrices, worked out once per vertex: a fragment reads a
// flat input more cheaply than a uniform.
flat out vec4 lens;        // the projection's x and y scale, then its two depth terms
flat out vec2 inverseLens; // 1 / lens.xy
flat out vec3 biasScale;   // the bias takes clip space to texture space: a scale...
flat out vec3 biasOffset;  // ...and an offset
flat out vec3 playCentre;  // the centre of the play volume in view space

void main() {
    placeScreenQuad();
    lens = vec4(projectionMatrix[0][0], projectionMatrix[1][1], projectionMatrix[2][2],
                projectionMatrix[3][2]);
    inverseLens = 1.0 / lens.xy;
    biasScale = vec3(bias[0][0], bias[1][1], bias[2][2]);
    biasOffset = bias[3].xyz;
    playCentre = viewMatrix[3].xyz;
}
