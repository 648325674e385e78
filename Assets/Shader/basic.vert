#version 330 core
// Written by make assets from tools/shaders/basic.vert, which includes the parts
// it shares with other shaders: edit it there.
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
out vec3 eyePosition;
// The material's glow is the same for the whole object: handed on once per vertex, since
// a fragment reads a flat input more cheaply than the uniform block.
// An object's colours, as the C++ Material record lays them out (std140).
layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
} material;
flat out vec3 emissive;

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
    gl_Position = VP * world;
}
