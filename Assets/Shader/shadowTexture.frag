#version 330 core
// Written by make assets from tools/shaders/shadowTexture.frag, which includes the parts
// it shares with other shaders: edit it there.
// What the fixed light sees of the play cube: each pixel of the light's image casts its
// ray through the inverse light view-projection, and the light-space depth of the first
// cube surface it meets is written as grey (white: none).
const float kFrameWidth = 1024.00000;
const float kFrameHeight = 768.000000;
const float kFrameAspect = 1.33333337;
const float kCubeHalfExtent = 2.00000000;
const float kCameraFieldOfView = 30.0000000;
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;

in vec2 uv;
noperspective in vec3 origin;
noperspective in vec3 direction;
flat in vec4 lightZ; // rows z and w of lightVP
flat in vec4 lightW;

out vec4 fragColor;

void main() {
    // Slab test over the segment from the near to the far plane (t in [0, 1]).
    vec3 safe = mix(direction, vec3(1e-8), lessThan(abs(direction), vec3(1e-8)));
    // One reciprocal serves both planes of each slab: three divides instead of six.
    vec3 inverseDirection = 1.0 / safe;
    vec3 t0 = (vec3(-kCubeHalfExtent) - origin) * inverseDirection;
    vec3 t1 = (vec3(kCubeHalfExtent) - origin) * inverseDirection;
    vec3 tMin = min(t0, t1);
    vec3 tMax = max(t0, t1);
    float enter = max(max(tMin.x, tMin.y), max(tMin.z, 0.0));
    float leave = min(min(tMax.x, tMax.y), min(tMax.z, 1.0));

    float lightDepth = 1.0;
    if (enter <= leave) {
        vec4 hit = vec4(origin + direction * enter, 1.0);
        lightDepth = clamp(dot(lightZ, hit) / dot(lightW, hit) * 0.5 + 0.5, 0.0, 1.0);
    }
    fragColor = vec4(vec3(lightDepth), 1.0);
}
