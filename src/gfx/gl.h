#pragma once
// One place that pulls in the GL entry points; every GL-owning class includes this.
#include <GL/glew.h>
