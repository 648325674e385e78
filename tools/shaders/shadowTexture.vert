#version 330 core
// Light-space depth view: the quad covers the light's image plane.
#include "ScreenQuad.glsl"

uniform mat4 lightVP;

// The pixel's ray through the light's frustum, as homogeneous near and far points. Both
// are linear in the quad's corners, so they interpolate exactly and the inverse is taken
// per vertex, not per pixel.
noperspective out vec4 nearPoint;
noperspective out vec4 farPoint;
// The two rows of lightVP that give a point's depth: once per vertex, as a fragment reads
// a flat input more cheaply than a uniform.
flat out vec4 lightZ;
flat out vec4 lightW;

void main() {
    placeScreenQuad();
    mat4 toWorld = inverse(lightVP);
    nearPoint = toWorld * vec4(vPosition.xy, -1.0, 1.0);
    farPoint = toWorld * vec4(vPosition.xy, 1.0, 1.0);
    mat4 rows = transpose(lightVP);
    lightZ = rows[2];
    lightW = rows[3];
}
