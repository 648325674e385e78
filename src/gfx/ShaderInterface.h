#pragma once
// The names by which the game binds its shaders' inputs, uniforms and blocks: written
// once here, with the GLSL spelling as the C++ name. A shader that leaves a name out gets
// location -1 for it, which GL ignores.

namespace drifthold::glsl {

// Every fragment stage's output, colour number 0.
inline constexpr char fragColor[] = "fragColor";

// Models: the basic program, the star sphere and the space cube.
inline constexpr char vPosition[] = "vPosition"; // also the screen quad's corners
inline constexpr char vNormal[] = "vNormal";
inline constexpr char vUV[] = "vUV";
inline constexpr char VP[] = "VP"; // also the shadow-mapping pass
inline constexpr char modelMatrix[] = "modelMatrix";
inline constexpr char viewMatrix[] = "viewMatrix";
inline constexpr char projectionMatrix[] = "projectionMatrix";
inline constexpr char Material[] = "Material";         // the uniform block
inline constexpr char colorTexture[] = "colorTexture"; // also every full-screen pass
inline constexpr char lightPosition[] = "lights[0].l_position";
inline constexpr char lightAmbient[] = "lights[0].l_ambient";
inline constexpr char lightDiffuse[] = "lights[0].l_diffuse";
inline constexpr char lightSpecular[] = "lights[0].l_specular";

// Full-screen passes.
inline constexpr char depthTexture[] = "depthTexture";
inline constexpr char lightVP[] = "lightVP";
inline constexpr char bias[] = "bias";
inline constexpr char viewProjectionInverseMatrix[] = "viewProjectionInverseMatrix";
inline constexpr char previousViewProjectionMatrix[] = "previousViewProjectionMatrix";

// The particle update program: the record's fields in, the same fields with a 1 out.
inline constexpr char Type[] = "Type";
inline constexpr char Position[] = "Position";
inline constexpr char Velocity[] = "Velocity";
inline constexpr char Age[] = "Age";
inline constexpr char Lifetime[] = "Lifetime";
inline constexpr char Transparency[] = "Transparency";
inline constexpr char Type1[] = "Type1";
inline constexpr char Position1[] = "Position1";
inline constexpr char Velocity1[] = "Velocity1";
inline constexpr char Age1[] = "Age1";
inline constexpr char Lifetime1[] = "Lifetime1";
inline constexpr char Transparency1[] = "Transparency1";
inline constexpr char gShellLifetime[] = "gShellLifetime";
inline constexpr char gDeltaTimeMillis[] = "gDeltaTimeMillis";
inline constexpr char gTime[] = "gTime";
inline constexpr char gEmitterPosition[] = "gEmitterPosition";
// Declared by the update shader; the game binds no texture for it (see ParticleSystem).
inline constexpr char gRandomTexture[] = "gRandomTexture";

// The particle render program.
inline constexpr char vViewProjectionMatrix[] = "vViewProjectionMatrix";
inline constexpr char gCameraPos[] = "gCameraPos";
inline constexpr char gBillboardSize[] = "gBillboardSize";
inline constexpr char gColorTexture[] = "gColorTexture";
// The target's height in pixels, which the sprites' size follows.
inline constexpr char gRenderHeight[] = "gRenderHeight";

} // namespace drifthold::glsl
