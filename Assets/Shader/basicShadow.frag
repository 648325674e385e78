#version 330 core
// Depth-aware shading of the camera image: each pixel goes back to view space through
// the depth buffer, a few nearby view-space points are projected with the bias matrix
// into texture space, and those that lie behind the stored depth darken the pixel.
// Creases and contact areas get a soft shadow; empty background (depth 1) and the star
// sphere are left alone.
//
// The cameras' projections are symmetric perspectives, so the way to view space and back
// takes four of the projection's entries, not whole matrices per pixel.
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
uniform mat4 bias;

in vec2 uv;

out vec4 fragColor;

const int kSamples = 4;
const float kRadius = 0.12;
const float kStrength = 0.6;

const vec3 kKernel[kSamples] = vec3[](
    vec3(0.54, 0.21, 0.33), vec3(-0.41, 0.52, 0.18), vec3(0.12, -0.63, 0.44),
    vec3(-0.58, -0.27, 0.62));

// View-space z of a stored depth, for a standard perspective projection.
float viewDepth(float depth) {
    float ndcZ = depth * 2.0 - 1.0;
    float denominator = ndcZ + projectionMatrix[2][2];
    return abs(denominator) < 1e-6 ? 0.0 : -projectionMatrix[3][2] / denominator;
}

void main() {
    vec3 color = texture(colorTexture, uv).rgb;
    float depth = texture(depthTexture, uv).r;
    if (depth >= 1.0) {
        fragColor = vec4(color, 1.0);
        return;
    }
    vec2 focal = vec2(projectionMatrix[0][0], projectionMatrix[1][1]);
    float z = viewDepth(depth);
    vec3 viewPosition = vec3((uv * 2.0 - 1.0) * -z / focal, z);
    // The bias takes clip space to texture space: a scale and an offset.
    vec3 biasScale = vec3(bias[0][0], bias[1][1], bias[2][2]);
    vec3 biasOffset = bias[3].xyz;

    // Mirroring the kernel in a 2x2 pixel pattern trades banding for fine, cheap grain.
    vec2 mirror = vec2(mod(floor(gl_FragCoord.xy), 2.0)) * 2.0 - 1.0;

    // Only the play volume has creases to shade; the star sphere around it is smooth and
    // far, and no sample there can find an occluder close enough. A sample count that is
    // not a constant keeps the loop a loop, so blocks of sky pixels skip it altogether.
    bool inPlay = length(viewPosition - viewMatrix[3].xyz) < kCubeHalfExtent * 3.0;
    int samples = inPlay ? kSamples : 0;
    float occlusion = 0.0;
    for (int i = 0; i < samples; ++i) {
        vec3 offset = kKernel[i];
        offset.xy *= mirror;
        vec3 samplePoint = viewPosition + offset * kRadius;
        float w = -samplePoint.z;
        if (w <= 0.0)
            continue;
        vec3 texel = vec3(samplePoint.xy * focal,
                          projectionMatrix[2][2] * samplePoint.z + projectionMatrix[3][2]) / w;
        texel = texel * biasScale + biasOffset;
        if (any(lessThan(texel.xy, vec2(0.0))) || any(greaterThan(texel.xy, vec2(1.0))))
            continue;
        float stored = texture(depthTexture, texel.xy).r;
        if (stored < texel.z - 1e-5) {
            // Ignore occluders far in front: they belong to another object.
            float gap = abs(viewDepth(stored) - samplePoint.z);
            occlusion += gap < kRadius * 4.0 ? 1.0 : 0.0;
        }
    }
    float light = 1.0 - kStrength * occlusion / float(kSamples);
    fragColor = vec4(color * light, 1.0);
}
