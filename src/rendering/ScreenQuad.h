#pragma once

#include <GL/glew.h>

#include <vector>

namespace Orbivane::Rendering {

// Two triangles covering normalised device coordinates as six 2D vertices.
// They are wound clockwise: the full-screen passes draw them while the
// front faces are the ones being culled.
std::vector<float> makeScreenQuad();

// Creates a vertex array whose attribute 0 reads the quad's corners, two
// floats each, from a new buffer. Both stay bound for the caller.
void uploadScreenQuad(const std::vector<float>& quad, GLenum usage, GLuint& vao, GLuint& vbo);

}
