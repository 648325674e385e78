#version 330 core
// The motion blur's quad, with the camera's reprojection worked out once per vertex:
// a fragment reads flat inputs more cheaply than uniforms.
#include "ScreenQuad.glsl"

uniform mat4 viewProjectionInverseMatrix;
uniform mat4 previousViewProjectionMatrix;

// This frame's clip space to last frame's, up to the world point's w (row 3 of the
// inverse), which the fragment divides by.
flat out mat4 reprojection;
flat out vec4 worldW;

void main() {
    placeScreenQuad();
    reprojection = previousViewProjectionMatrix * viewProjectionInverseMatrix;
    worldW = vec4(viewProjectionInverseMatrix[0][3], viewProjectionInverseMatrix[1][3],
                  viewProjectionInverseMatrix[2][3], viewProjectionInverseMatrix[3][3]);
}
