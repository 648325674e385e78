#version 330 core
// A glowing sprite: the image's brightness is the coverage, faded with the particle.
uniform sampler2D gColorTexture;

in float alpha;

out vec4 fragColor;

void main() {
    vec3 sprite;
    if (textureSize(gColorTexture, 0).x > 0) {
        sprite = texture(gColorTexture, gl_PointCoord).rgb;
    } else {
        // No sprite image: a soft round spot keeps the stream visible.
        float r = length(gl_PointCoord - 0.5) * 2.0;
        sprite = vec3(1.0, 0.8, 0.5) * clamp(1.0 - r, 0.0, 1.0);
    }
    float coverage = max(sprite.r, max(sprite.g, sprite.b));
    float a = alpha * coverage;
    if (a < 0.01)
        discard;
    fragColor = vec4(min(sprite * 1.6, vec3(1.0)), a);
}
