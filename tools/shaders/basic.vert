#version 330 core
// Shared by every lit object, the star sphere and the space cube.
in vec3 vPosition;
in vec3 vNormal;
in vec2 vUV;

uniform mat4 VP;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 uv;
// What is the same for the whole object is worked out here, once per vertex, and handed on
// flat: a fragment reads a flat input more cheaply than it multiplies uniforms, and the
// eye needs no interpolation. The products keep the order the lighting had them in, so
// every pixel comes out the same.
flat out vec3 eyePosition;
#include "Material.glsl"
#include "Light.glsl"
flat out vec3 emissive;
flat out vec3 ambientLight;  // light's ambient times material's
flat out vec3 diffuseLight;  // light's diffuse times material's
flat out vec3 specularLight; // light's specular times material's
flat out vec3 highlight;     // the white part of the highlight, by the material's specular
flat out float exponent;     // the material's shininess, at least 1

void main() {
    vec4 world = modelMatrix * vec4(vPosition, 1.0);
    worldPosition = world.xyz;
    // Every object is scaled uniformly, so the model matrix itself carries normals (the
    // fragment shader normalises them), and the views are rigid, so the eye is the
    // inverse translation: no matrix inverse per vertex.
    worldNormal = mat3(modelMatrix) * vNormal;
    uv = vUV;
    eyePosition = -transpose(mat3(viewMatrix)) * viewMatrix[3].xyz;
    emissive = material.emissive.rgb;
    ambientLight = lights[0].l_ambient * material.ambient.rgb;
    diffuseLight = lights[0].l_diffuse * material.diffuse.rgb;
    specularLight = lights[0].l_specular * material.specular.rgb;
    highlight = 0.35 + 0.65 * material.specular.rgb;
    exponent = max(material.shininess, 1.0);
    gl_Position = VP * world;
}
