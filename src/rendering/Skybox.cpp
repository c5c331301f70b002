#include "rendering/Skybox.h"

#include "helpers/ShaderManager.h"
#include "helpers/TextureManager.h"

#include <glm/gtc/type_ptr.hpp>

namespace Orbivane::Rendering {

namespace {

constexpr float HalfSize = 250.0f;

// Four corners per face, in units of the half size.
const glm::vec3 FaceCorners[6][4] = {
    {{-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}},
    {{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}, {1, 1, 1}},
    {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}},
    {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}},
    {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
    {{-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}},
};

}

Skybox::Skybox()
{
    m_Cubemap = Helpers::loadCubemap("res\\textures\\skybox\\", "right.jpg", "left.jpg", "top.jpg", "bottom.jpg",
                                     "back.jpg", "front.jpg");
    m_Program = Helpers::ShaderManager::instance().getProgram("SkyBox");
    m_ViewMatrixLocation = glGetUniformLocation(m_Program, "viewMatrix");
    m_ProjectionMatrixLocation = glGetUniformLocation(m_Program, "projectionMatrix");
    m_CubemapLocation = glGetUniformLocation(m_Program, "cubemap");
    createGeometry();
}

void Skybox::createGeometry()
{
    for (unsigned int face = 0; face < 6; ++face) {
        for (const glm::vec3& corner : FaceCorners[face]) {
            m_Vertices.push_back(corner * HalfSize);
        }
        const unsigned int first = 4 * face;
        m_Indices.insert(m_Indices.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
    }

    glGenVertexArrays(1, &m_VAO);
    glBindVertexArray(m_VAO);
    glGenBuffers(1, &m_VBO);
    glBindBuffer(GL_ARRAY_BUFFER, m_VBO);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_Vertices.size() * sizeof(glm::vec3)), m_Vertices.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), nullptr);
    glGenBuffers(1, &m_EBO);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_EBO);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_Indices.size() * sizeof(unsigned int)),
                 m_Indices.data(), GL_STATIC_DRAW);
    // The vertex array is unbound first so that it keeps its element buffer.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void Skybox::draw(const glm::mat4& viewMatrix, const glm::mat4& projectionMatrix)
{
    const glm::mat4 rotationOnly = glm::mat4(glm::mat3(viewMatrix));

    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);

    glUseProgram(m_Program);
    glUniformMatrix4fv(m_ViewMatrixLocation, 1, GL_FALSE, glm::value_ptr(rotationOnly));
    glUniformMatrix4fv(m_ProjectionMatrixLocation, 1, GL_FALSE, glm::value_ptr(projectionMatrix));

    glBindVertexArray(m_VAO);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(m_CubemapLocation, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, m_Cubemap);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m_Indices.size()), GL_UNSIGNED_INT, nullptr);

    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    glDepthMask(GL_TRUE);
}

}
