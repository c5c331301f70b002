#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace Orbivane::Rendering {

// Triangles of one colour whose corners a matrix maps to the screen: the
// laser beam in the world, the reticle and the arrow in window pixels. They
// are drawn into the bound framebuffer with the blending in effect, over
// everything (no depth test, both faces).
class FlatShapes {
public:
    FlatShapes();
    ~FlatShapes();
    FlatShapes(const FlatShapes&) = delete;
    FlatShapes& operator=(const FlatShapes&) = delete;

    // Three corners per triangle.
    void draw(const std::vector<glm::vec3>& corners, const glm::mat4& transform, const glm::vec4& colour);

private:
    GLuint m_Program = 0;
    GLint m_TransformLocation = -1;
    GLint m_ColourLocation = -1;
    GLuint m_VertexArray = 0;
    GLuint m_Buffer = 0;
};

}
