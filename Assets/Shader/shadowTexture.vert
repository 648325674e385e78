#version 330 core
// Written by make assets from tools/shaders/shadowTexture.vert, which includes the parts
// it shares with other shaders: edit it there.
// Light-space depth view: the quad covers the light's image plane.
// The full-screen quad of every framebuffer pass: its corners are already in clip
// space, and the texture coordinates follow from them.
in vec3 vPosition;

out vec2 uv;

void placeScreenQuad() {
    uv = vPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 1.0);
}

uniform mat4 lightVP;

// The pixel's ray through the light's frustum, as homogeneous near and far points. Both
// are linear in the quad's corners, so they interpolate exactly and the inverse is taken
// per vertex, not per pixel.
noperspective out vec4 nearPoint;
noperspective out vec4 farPoint;
// The two rows of lightVP that give a point's depth: once per vertex, as a fragment reads
// a flat input more cheaply than a uniform.
flat out vec4 lightZ;
flat out vec4 lightW;

void main() {
    placeScreenQuad();
    mat4 toWorld = inverse(lightVP);
    nearPoint = toWorld * vec4(vPosition.xy, -1.0, 1.0);
    farPoint = toWorld * vec4(vPosition.xy, 1.0, 1.0);
    mat4 rows = transpose(lightVP);
    lightZ = rows[2];
    lightW = rows[3];
}
