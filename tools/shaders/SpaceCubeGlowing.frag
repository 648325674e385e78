#version 330 core
// The glowing play cube: emissive colour times texture, bright, and as opaque as it is
// bright, so dark parts of the faces let the scene through and the edges glow on top.
#include "Material.glsl"

uniform sampler2D colorTexture;

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
flat in vec3 eyePosition;

out vec4 fragColor;

void main() {
    vec3 texel = texture(colorTexture, uv).rgb;
    // A model without an emissive colour glows in its diffuse colour instead.
    vec3 tint = max(material.emissive.rgb, vec3(0.0));
    if (max(tint.r, max(tint.g, tint.b)) <= 0.0)
        tint = material.diffuse.rgb;
    vec3 color = min(tint * texel * 1.8, vec3(1.0));
    float brightness = max(color.r, max(color.g, color.b));
    fragColor = vec4(color, clamp(brightness * 1.2, 0.0, 1.0));
}
