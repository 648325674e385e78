#version 330 core
// Written by make assets from tools/shaders/basicShadow.vert, which includes the parts
// it shares with other shaders: edit it there.
// Depth-aware shading: a full-screen pass over the scene image.
// The full-screen quad of every framebuffer pass: its corners are already in clip
// space, and the texture coordinates follow from them.
in vec3 vPosition;

out vec2 uv;

void placeScreenQuad() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}

uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
uniform mat4 bias;

// What every pixel needs of the matrices, worked out once per vertex: a fragment reads a
// flat input more cheaply than a uniform.
flat out vec4 lens;        // the projection's x and y scale, then its two depth terms
flat out vec2 inverseLens; // 1 / lens.xy
flat out vec3 biasScale;   // the bias takes clip space to texture space: a scale...
flat out vec3 biasOffset;  // ...and an offset
flat out vec3 playCentre;  // the centre of the play volume in view space

void main() {
    placeScreenQuad();
    lens = vec4(projectionMatrix[0][0], projectionMatrix[1][1], projectionMatrix[2][2],
                projectionMatrix[3][2]);
    inverseLens = 1.0 / lens.xy;
    biasScale = vec3(bias[0][0], bias[1][1], bias[2][2]);
    biasOffset = bias[3].xyz;
    playCentre = viewMatrix[3].xyz;
}
