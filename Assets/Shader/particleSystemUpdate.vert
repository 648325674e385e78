#version 330 core
// Written by make assets from tools/shaders/particleSystemUpdate.vert, which includes the parts
// it shares with other shaders: edit it there.
// One step of the particle pool. Every particle is a slot that writes exactly one
// particle back, so the pool stays at its size and no slot keeps stale data.
//
// A launcher (type 1) is invisible and sits at the emitter; its Age is a clock. Each time
// that clock passes a multiple of kLaunchPeriod the slot turns into a shell (type 2) born
// at the emitter. With the launch ages 40 ms apart that is a steady ten shells every
// 40 ms. A shell drifts a little, fades over the lifetime it was born with and then
// becomes a launcher again, its clock still in step. Births are placed back along the
// tail's path by how long ago in the frame they fell due, so a slow frame rate still
// draws a continuous stream, and a long hitch never releases more than a steady flow.
//
// The step runs here, one particle per vertex, and the geometry shader only writes the
// record out: the software renderer runs a vertex shader over many particles at once,
// and each EmitVertex of a geometry shader costs it a store of every output.
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

uniform float gDeltaTimeMillis;
uniform float gTime;
uniform float gShellLifetime;
uniform vec3 gEmitterPosition;
// Part of the program's interface; the randomness below is hashed instead, so it does
// not depend on whatever texture the scene left bound.
uniform sampler1D gRandomTexture;

const float kLauncher = 1.0;
const float kShell = 2.0;
const float kLaunchPeriod = 40000.0;
const float kDriftSpeed = 0.12; // world units per second at birth
const float kDrag = 1.5;        // per second; a shell drifts at most kDriftSpeed / kDrag
// Farther than the tail can move in one frame: a restart or a wrap across the cube,
// where interpolating along the jump would spray shells far from the ship.
const float kMaxTailStep = 0.35;

uint hash(uint x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

float unitRandom(inout uint state) {
    state = hash(state);
    return float(state >> 8) / 16777216.0;
}

vec3 randomDirection(uint seed) {
    uint state = seed;
    float z = unitRandom(state) * 2.0 - 1.0;
    float angle = unitRandom(state) * 6.2831853;
    float r = sqrt(max(0.0, 1.0 - z * z));
    return vec3(r * cos(angle), r * sin(angle), z);
}

// How far a shell drifts in `seconds` from `velocity`, with drag.
vec3 drift(vec3 velocity, float seconds) {
    return velocity * (1.0 - exp(-kDrag * seconds)) / kDrag;
}

void main() {
    float step = max(gDeltaTimeMillis, 0.0);
    float age = Age + step;

    // Every branch only chooses the record; it is written once, at the end.
    float type = kShell;
    vec3 position;
    vec3 velocity;
    float newAge = age;
    float lifetime = Lifetime;
    float transparency;
    if (Type < 1.5) {
        bool fires = floor(age / kLaunchPeriod) != floor(Age / kLaunchPeriod);
        // Born when the clock passed the period: it is already as old as the overshoot.
        // After a long frame, shells that would have died by now are not born at all.
        float overshoot = mod(age, kLaunchPeriod);
        float shellLifetime = max(gShellLifetime, 1.0);
        if (!fires || overshoot >= shellLifetime) {
            type = kLauncher;
            position = gEmitterPosition;
            velocity = Velocity;
            transparency = 0.0;
        } else {
            // A launcher still sits where the emitter was last frame: the birth place is
            // that far back along the tail's path, so slow frames still give a stream.
            vec3 birthPlace = gEmitterPosition;
            if (step > 0.0 && distance(Position, gEmitterPosition) < kMaxTailStep)
                birthPlace = mix(gEmitterPosition, Position, clamp(overshoot / step, 0.0, 1.0));

            // The draw starts at vertex 0, so the vertex number is the slot's index.
            uint seed = hash(uint(gl_VertexID) * 747796405u + hash(uint(max(gTime, 0.0))));
            float speed = kDriftSpeed * (0.3 + 0.7 * unitRandom(seed));
            vec3 birthVelocity = randomDirection(seed) * speed;
            float seconds = overshoot / 1000.0;
            position = birthPlace + drift(birthVelocity, seconds);
            velocity = birthVelocity * exp(-kDrag * seconds);
            newAge = overshoot;
            lifetime = shellLifetime;
            transparency = 1.0 - overshoot / shellLifetime;
        }
    } else if (age >= Lifetime) {
        type = kLauncher;
        position = gEmitterPosition;
        velocity = vec3(0.0, 0.1, 0.0);
        newAge = mod(age, kLaunchPeriod);
        transparency = 0.0;
    } else {
        float seconds = step / 1000.0;
        position = Position + drift(Velocity, seconds);
        velocity = Velocity * exp(-kDrag * seconds);
        transparency = 1.0 - age / Lifetime;
    }
    Type0 = type;
    Position0 = position;
    Velocity0 = velocity;
    Age0 = newAge;
    Lifetime0 = lifetime;
    Transparency0 = transparency;
}
