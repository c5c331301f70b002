#pragma once

#include <vector>

namespace Orbivane::Rendering {

// Two triangles covering normalised device coordinates as six 2D vertices.
// They are wound clockwise: the full-screen passes draw them while the
// front faces are the ones being culled.
std::vector<float> makeScreenQuad();

}
