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
out vec3 eyePosition;

void main() {
    vec4 world = modelMatrix * vec4(vPosition, 1.0);
    worldPosition = world.xyz;
    worldNormal = mat3(transpose(inverse(modelMatrix))) * vNormal;
    uv = vUV;
    eyePosition = inverse(viewMatrix)[3].xyz;
    gl_Position = VP * world;
}
