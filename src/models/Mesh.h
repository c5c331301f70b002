#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace Orbivane::Models {

struct alignas(16) Vertex {
    glm::vec4 position;
    glm::vec4 normal;
    glm::vec2 texCoords;
};

static_assert(sizeof(Vertex) == 48, "shaders expect a 48-byte vertex stride");

class Mesh {
public:
    Mesh(std::vector<Vertex> vertices, std::vector<unsigned int> indices);

    void draw() const;

    std::vector<Vertex> m_Vertices;
    std::vector<unsigned int> m_Indices;
    GLuint m_VAO = 0;
    GLuint m_VBO = 0;
    GLuint m_EBO = 0;

private:
    void setupMesh();
};

}
