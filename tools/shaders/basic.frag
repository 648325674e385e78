#version 330 core
// Blinn-Phong with one point light, the object's material block and its diffuse texture.
#include "Material.glsl"

struct Light {
    vec3 l_position;
    vec3 l_ambient;
    vec3 l_diffuse;
    vec3 l_specular;
};
uniform Light lights[1];
uniform sampler2D colorTexture;

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in vec3 eyePosition;

out vec4 fragColor;

void main() {
    vec3 albedo = texture(colorTexture, uv).rgb;
    vec3 n = length(worldNormal) > 0.0 ? normalize(worldNormal) : vec3(0.0, 0.0, 1.0);
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
    float spec = lambert > 0.0 ? pow(max(dot(n, h), 0.0), max(material.shininess, 1.0)) : 0.0;

    // A faint light from the viewer's side keeps faces turned away from the lamp readable.
    float fill = max(dot(n, v), 0.0) * 0.22;

    vec3 color = lights[0].l_ambient * material.ambient.rgb * albedo
               + material.diffuse.rgb * albedo * fill
               + lights[0].l_diffuse * material.diffuse.rgb * albedo * (lambert + wrap) * attenuation
               + lights[0].l_specular * material.specular.rgb * spec * attenuation
               + (0.35 + 0.65 * material.specular.rgb) * spec * attenuation * 0.5
               + material.emissive.rgb * albedo;
    fragColor = vec4(color, 1.0);
}
