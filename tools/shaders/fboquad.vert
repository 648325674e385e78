#version 330 core
// The motion blur's quad, with the camera's reprojection worked out once per vertex:
// a fragment reads flat inputs more cheaply than uniforms.
#include "ScreenQuad.glsl"

uniform sampler2D colorTexture;
uniform mat4 viewProjectionInverseMatrix;
uniform mat4 previousViewProjectionMatrix;

// This frame's clip space to last frame's, up to the world point's w (row 3 of the
// inverse), which the fragment divides by.
flat out mat4 reprojection;
flat out vec4 worldW;
// 1 when the camera has not moved since last frame: no corner of the view volume moves
// by a twentieth of a pixel, so neither does any pixel, and the fragment only copies.
flat out float still;

void main() {
    placeScreenQuad();
    reprojection = previousViewProjectionMatrix * viewProjectionInverseMatrix;
    worldW = vec4(viewProjectionInverseMatrix[0][3], viewProjectionInverseMatrix[1][3],
                  viewProjectionInverseMatrix[2][3], viewProjectionInverseMatrix[3][3]);
    // The scene's size in pixels, whatever size the passes render at.
    vec2 frameSize = vec2(textureSize(colorTexture, 0));
    float moved = 0.0;
    for (int corner = 0; corner < 8; ++corner) {
        vec4 current = vec4((corner & 1) != 0 ? 1.0 : -1.0, (corner & 2) != 0 ? 1.0 : -1.0,
                            (corner & 4) != 0 ? 1.0 : -1.0, 1.0);
        vec4 previous = reprojection * current; // up to a scale, which the divide removes
        if (abs(previous.w) < 1e-6) {
            moved = 1.0;
            break;
        }
        vec2 pixels = (current.xy - previous.xy / previous.w) * 0.5 * frameSize;
        moved = max(moved, length(pixels));
    }
    still = moved < 0.05 ? 1.0 : 0.0;
}
