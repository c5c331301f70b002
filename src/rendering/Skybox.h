#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace Orbivane::Rendering {

// The star background: a large cube with a six-image cube map, drawn around
// the camera with the view's translation removed so that it never comes closer.
class Skybox {
public:
    Skybox();

    void createGeometry();
    void draw(const glm::mat4& viewMatrix, const glm::mat4& projectionMatrix);

    GLint m_ViewMatrixLocation = 0;
    GLint m_ProjectionMatrixLocation = 0;
    GLint m_CubemapLocation = 0;
    GLuint m_Program = 0;
    GLuint m_Cubemap = 0;
    GLuint m_VAO = 0;
    std::vector<glm::vec3> m_Vertices;
    std::vector<unsigned int> m_Indices;
    GLuint m_VBO = 0;
    GLuint m_EBO = 0;
};

}
