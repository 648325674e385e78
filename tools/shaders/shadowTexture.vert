#version 330 core
// Light-space depth view: the quad covers the light's image plane.
#include "ScreenQuad.glsl"

uniform mat4 lightVP;

// The pixel's ray through the light's frustum: where it leaves the near plane, and the way
// to the far plane. The light's projection is a perspective one, so the inverse gives every
// point of the near plane the same w (and every point of the far plane): divided per
// vertex, both are linear over the screen and interpolate exactly, with no divide per pixel.
noperspective out vec3 origin;
noperspective out vec3 direction;
// The two rows of lightVP that give a point's depth: once per vertex, as a fragment reads
// a flat input more cheaply than a uniform.
flat out vec4 lightZ;
flat out vec4 lightW;

void main() {
    placeScreenQuad();
    mat4 toWorld = inverse(lightVP);
    vec4 nearPoint = toWorld * vec4(vPosition.xy, -1.0, 1.0);
    vec4 farPoint = toWorld * vec4(vPosition.xy, 1.0, 1.0);
    origin = nearPoint.xyz / nearPoint.w;
    direction = farPoint.xyz / farPoint.w - origin;
    mat4 rows = transpose(lightVP);
    lightZ = rows[2];
    lightW = rows[3];
}
