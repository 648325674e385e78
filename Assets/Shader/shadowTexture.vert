#version 330 core
// Light-space depth view: the quad covers the light's image plane.
in vec3 vPosition;

uniform mat4 lightVP;

out vec2 uv;
// The pixel's ray through the light's frustum, as homogeneous near and far points. Both
// are linear in the quad's corners, so they interpolate exactly and the inverse is taken
// per vertex, not per pixel.
noperspective out vec4 nearPoint;
noperspective out vec4 farPoint;

void main() {
    uv = vPosition.xy * 0.5 + 0.5;
    mat4 toWorld = inverse(lightVP);
    nearPoint = toWorld * vec4(vPosition.xy, -1.0, 1.0);
    farPoint = toWorld * vec4(vPosition.xy, 1.0, 1.0);
    gl_Position = vec4(vPosition, 1.0);
}
