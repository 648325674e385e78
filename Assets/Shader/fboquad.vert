#version 330 core
// The motion blur covers the screen with the same quad as every framebuffer.
#include "fboBasic.vert"
