#version 330 core
// Camera motion blur: every pixel is put back into the world from the depth buffer,
// projected with last frame's camera, and the colour is averaged along the path that
// reached it on screen: a bright thing that moved leaves its streak behind it, between
// where it was and where it is. A still camera gives a velocity of zero and the sharp image.
uniform sampler2D colorTexture;
uniform sampler2D depthTexture;

in vec2 uv;
flat in mat4 reprojection;
flat in vec4 worldW;
flat in float still;

out vec4 fragColor;

const int kSamples = 8;
// Longest smear, in UV units; keeps slow frames from turning into a wash.
const float kMaxBlur = 0.06;

// How far this pixel's world point moved on screen since last frame, in UV units, at most
// kMaxBlur.
vec2 screenVelocity() {
    float depth = texture(depthTexture, uv).r;
    // The sky (depth 1) lies on the far plane and is reprojected like everything else.
    vec4 current = vec4(uv * 2.0 - 1.0, depth * 2.0 - 1.0, 1.0);
    // The world point, inverse * current / its w, seen from last frame's camera.
    vec4 previous = reprojection * current / dot(worldW, current);
    if (!(previous.w > 1e-6))
        return vec2(0.0);
    vec2 velocity = (current.xy - previous.xy / previous.w) * 0.5;
    if (any(isnan(velocity)) || any(isinf(velocity)))
        return vec2(0.0);
    float speed = length(velocity);
    return speed > kMaxBlur ? velocity * (kMaxBlur / speed) : velocity;
}

void main() {
    vec3 color = texture(colorTexture, uv).rgb;
    // A camera that has not moved blurs nothing: the scene as it is. The samples are a loop
    // whose length is not a constant, so that a still frame (no samples) pays for one round
    // of it at most: the software renderer works through both sides of every if, but stops a
    // loop that no pixel of a block goes on with.
    int samples = still > 0.5 ? 0 : kSamples;
    vec2 velocity = screenVelocity();
    // Under half a pixel of motion the blur cannot be seen.
    vec2 pixels = velocity * vec2(textureSize(colorTexture, 0));
    if (dot(pixels, pixels) < 0.25)
        samples = 0;
    // A per-pixel shift of the sample positions turns banding into fine grain. Integer
    // hashing gives every machine the same grain, where sin() of large numbers does not.
    uvec2 cell = uvec2(gl_FragCoord.xy);
    uint hash = cell.x * 1973u + cell.y * 9277u;
    hash = (hash ^ (hash >> 13)) * 0x5bd1e995u;
    hash ^= hash >> 15;
    float jitter = float(hash & 0xffffu) / 65536.0;
    vec3 sum = vec3(0.0);
    // Tested at the end: the software renderer goes round a loop until no pixel is left in
    // it, so a test at the top costs a ninth, empty round of eight. A pixel without samples
    // still reads one, which the choice below leaves out.
    int i = 0;
    do {
        float t = (float(i) + jitter) / float(kSamples);
        sum += texture(colorTexture, clamp(uv + velocity * t, 0.0, 1.0)).rgb;
    } while (++i < samples);
    fragColor = vec4(samples > 0 ? sum / float(kSamples) : color, 1.0);
}
