#version 330 core
// Motion-blur quad: the corners are already in clip space; UVs follow from them.
in vec3 vPosition;

out vec2 uv;

void main() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}
