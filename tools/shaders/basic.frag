#version 330 core
// Blinn-Phong with one point light, the object's material block and its diffuse texture.
#include "Material.glsl"
#include "Light.glsl"

uniform sampler2D colorTexture;

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
flat in vec3 eyePosition;
// What the light and the material give the whole object, worked out by the vertex shader.
flat in vec3 emissive;
flat in vec3 ambientLight;
flat in vec3 diffuseLight;
flat in vec3 specularLight;
flat in vec3 highlight;
flat in float exponent;

out vec4 fragColor;

void main() {
    vec3 albedo = texture(colorTexture, uv).rgb;
    float normalLength2 = dot(worldNormal, worldNormal);
    vec3 n = normalLength2 > 0.0 ? worldNormal * inversesqrt(normalLength2) : vec3(0.0, 0.0, 1.0);
    if (!gl_FrontFacing)
        n = -n;
    vec3 toLight = lights[0].l_position - worldPosition;
    float distance = length(toLight);
    vec3 l = toLight / max(distance, 1e-4);
    vec3 v = normalize(eyePosition - worldPosition);
    vec3 h = normalize(l + v);
    float attenuation = 1.0 / (1.0 + 0.15 * distance * distance);

    float lambert = max(dot(n, l), 0.0);
    // A soft wrap term keeps the unlit side readable against the dark sky.
    float wrap = max(dot(n, l) * 0.5 + 0.5, 0.0) * 0.15;
    float spec = lambert > 0.0 ? pow(max(dot(n, h), 0.0), exponent) : 0.0;

    // A faint light from the viewer's side keeps faces turned away from the lamp readable.
    float fill = max(dot(n, v), 0.0) * 0.22;

    vec3 color = ambientLight * albedo
               + material.diffuse.rgb * albedo * fill
               + diffuseLight * albedo * (lambert + wrap) * attenuation
               + specularLight * spec * attenuation
               + highlight * spec * attenuation * 0.5
               + emissive * albedo;
    fragColor = vec4(color, 1.0);
}
