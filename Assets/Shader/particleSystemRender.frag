#version 330 core
// Written by make assets from tools/shaders/particleSystemRender.frag, which includes the parts
// it shares with other shaders: edit it there.
// A glowing sprite: the image is black where empty, so its brightness is the coverage;
// the particle's transparency fades it.
uniform sampler2D gColorTexture;

in float alpha;

out vec4 fragColor;

void main() {
    vec3 sprite = texture(gColorTexture, gl_PointCoord).rgb;
    float coverage = max(sprite.r, max(sprite.g, sprite.b));
    float a = alpha * min(coverage * 2.0, 1.0);
    if (a < 0.01)
        discard;
    fragColor = vec4(min(sprite * 2.0, vec3(1.0)), a);
}
