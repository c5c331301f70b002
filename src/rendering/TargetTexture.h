#pragma once

#include <GL/glew.h>

namespace Orbivane::Rendering {

// Sampling of a texture that a pass renders into: one filter both ways, and
// edges clamped so that full-screen reads never wrap to the opposite side.
void setTargetSampling(GLint filter);

}
