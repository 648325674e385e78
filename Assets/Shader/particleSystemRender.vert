#version 330 core
// Written by make assets from tools/shaders/particleSystemRender.vert, which includes the parts
// it shares with other shaders: edit it there.
// Particles as point sprites. The size follows the particle's depth in front of the
// camera actually drawing (clip w), so the stream keeps its world size in every view.
const float kFrameWidth = 1024.00000;
const float kFrameHeight = 768.000000;
const float kFrameAspect = 1.33333337;
const float kCubeHalfExtent = 2.00000000;
const float kCameraFieldOfView = 30.0000000;
in vec3 Position;
in float Transparency;

uniform mat4 vViewProjectionMatrix;
uniform vec3 gCameraPos;
uniform float gBillboardSize;
// The target's height in pixels: sprites keep their share of the picture at every size.
uniform float gRenderHeight;

out float alpha;

void main() {
    alpha = clamp(Transparency, 0.0, 1.0);
    if (alpha <= 0.0) {
        // Launchers and dead slots: outside the clip volume, so nothing is drawn.
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        gl_PointSize = 1.0;
        return;
    }
    gl_Position = vViewProjectionMatrix * vec4(Position, 1.0);
    // Pixels per world unit at distance 1, from the projection actually drawing (the
    // cockpit's is wider than the cameras'): a view only turns and moves, so the length of
    // the view-projection's second row is the projection's vertical scale.
    float pixelsPerUnit = gRenderHeight * 0.5 *
                          length(vec3(vViewProjectionMatrix[0][1], vViewProjectionMatrix[1][1],
                                      vViewProjectionMatrix[2][1]));
    float depth = max(gl_Position.w, 0.05);
    // The sprite's glow fills only its middle, hence the factor; young shells are larger, so
    // the stream is thickest right at the tail.
    float largest = 96.0 * gRenderHeight / kFrameHeight; // 96 pixels in the 1024x768 frame
    gl_PointSize = clamp(gBillboardSize * pixelsPerUnit / depth * (1.2 + 1.3 * alpha), 1.0, largest);
}
