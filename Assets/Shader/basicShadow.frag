#version 330 core
// Written by make assets from tools/shaders/basicShadow.frag, which includes the parts
// it shares with other shaders: edit it there.
// Depth-aware shading of the camera image: each pixel goes back to view space through
// the depth buffer, a few nearby view-space points are projected with the bias matrix
// into texture space, and those that lie behind the stored depth darken the pixel.
// Creases and contact areas get a soft shadow; empty background (depth 1) and the star
// sphere are left alone.
//
// The cameras' projections are symmetric perspectives, so the way to view space and back
// takes four of the projection's entries (lens), not whole matrices per pixel.
const float kFrameWidth = 1024.00000;
const float kFrameHeight = 768.000000;
const float kFrameAspect = 1.33333337;
const float kCubeHalfExtent = 2.00000000;
const float kCameraFieldOfView = 30.0000000;
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;

in vec2 uv;
flat in vec4 lens;
flat in vec2 inverseLens;
flat in vec3 biasScale;
flat in vec3 biasOffset;
flat in vec3 playCentre;

out vec4 fragColor;

const int kSamples = 4;
const float kRadius = 0.12;
const float kStrength = 0.6;
// Beyond this distance from the play volume's centre lies only the star sphere.
const float kPlayRadius = kCubeHalfExtent * 3.0;

const vec3 kKernel[kSamples] = vec3[](
    vec3(0.54, 0.21, 0.33), vec3(-0.41, 0.52, 0.18), vec3(0.12, -0.63, 0.44),
    vec3(-0.58, -0.27, 0.62));

// View-space z of a stored depth.
float viewDepth(float depth) {
    float denominator = depth * 2.0 - 1.0 + lens.z;
    return abs(denominator) < 1e-6 ? 0.0 : -lens.w / denominator;
}

void main() {
    vec3 color = texture(colorTexture, uv).rgb;
    float depth = texture(depthTexture, uv).r;
    if (depth >= 1.0) {
        fragColor = vec4(color, 1.0);
        return;
    }
    float z = viewDepth(depth);
    vec3 viewPosition = vec3((uv * 2.0 - 1.0) * -z * inverseLens, z);

    // Mirroring the kernel in a 2x2 pixel pattern trades banding for fine, cheap grain.
    vec2 mirror = vec2(mod(floor(gl_FragCoord.xy), 2.0)) * 2.0 - 1.0;

    // Only the play volume has creases to shade; the star sphere around it is smooth and
    // far, and no sample there can find an occluder close enough. A sample count that is
    // not a constant keeps the loop a loop, so blocks of sky pixels skip it altogether.
    vec3 fromCentre = viewPosition - playCentre;
    int samples = dot(fromCentre, fromCentre) < kPlayRadius * kPlayRadius ? kSamples : 0;
    float occlusion = 0.0;
    for (int i = 0; i < samples; ++i) {
        // Chosen, not indexed: the software renderer reads an array at a loop index
        // lane by lane, as a gather for every component.
        vec3 offset = i == 0 ? kKernel[0] : i == 1 ? kKernel[1] : i == 2 ? kKernel[2] : kKernel[3];
        offset.xy *= mirror;
        vec3 samplePoint = viewPosition + offset * kRadius;
        float w = -samplePoint.z;
        if (w <= 0.0)
            continue;
        vec3 clip = vec3(samplePoint.xy * lens.xy, lens.z * samplePoint.z + lens.w);
        // One divide for the three coordinates.
        vec3 texel = clip * (1.0 / w) * biasScale + biasOffset;
        if (any(lessThan(texel.xy, vec2(0.0))) || any(greaterThan(texel.xy, vec2(1.0))))
            continue;
        float stored = texture(depthTexture, texel.xy).r;
        if (stored < texel.z - 1e-5) {
            // Ignore occluders far in front: they belong to another object.
            // |viewDepth(stored) - samplePoint.z| < 4 kRadius, multiplied through by the
            // divisor of viewDepth: no divide per sample.
            float denominator = stored * 2.0 - 1.0 + lens.z;
            bool close = abs(denominator) < 1e-6
                             ? abs(samplePoint.z) < kRadius * 4.0
                             : abs(-lens.w - samplePoint.z * denominator) <
                                   kRadius * 4.0 * abs(denominator);
            occlusion += close ? 1.0 : 0.0;
        }
    }
    float light = 1.0 - kStrength * occlusion / float(kSamples);
    fragColor = vec4(color * light, 1.0);
}
