#version 330 core
// Written by make assets from tools/shaders/particleSystemUpdate.vert, which includes the parts
// it shares with other shaders: edit it there.
// Hands each particle to the geometry shader unchanged; all the work happens there.
in float Type;
in vec3 Position;
in vec3 Velocity;
in float Age;
in float Lifetime;
in float Transparency;

out float Type0;
out vec3 Position0;
out vec3 Velocity0;
out float Age0;
out float Lifetime0;
out float Transparency0;

void main() {
    Type0 = Type;
    Position0 = Position;
    Velocity0 = Velocity;
    Age0 = Age;
    Lifetime0 = Lifetime;
    Transparency0 = Transparency;
}
