#version 330 core
// Writes each particle's new record, as the vertex shader worked it out: one point in,
// one point out, so the pool keeps its size.
layout(points) in;
layout(points, max_vertices = 1) out;

in float Type0[];
in vec3 Position0[];
in vec3 Velocity0[];
in float Age0[];
in float Lifetime0[];
in float Transparency0[];

out float Type1;
out vec3 Position1;
out vec3 Velocity1;
out float Age1;
out float Lifetime1;
out float Transparency1;

void main() {
    Type1 = Type0[0];
    Position1 = Position0[0];
    Velocity1 = Velocity0[0];
    Age1 = Age0[0];
    Lifetime1 = Lifetime0[0];
    Transparency1 = Transparency0[0];
    EmitVertex();
    EndPrimitive();
}
