#include "rendering/FlatShapes.h"

#include "helpers/ShaderManager.h"

#include <glm/gtc/type_ptr.hpp>

namespace Orbivane::Rendering {

FlatShapes::FlatShapes()
{
    m_Program = Helpers::ShaderManager::instance().getProgram("FlatShape");
    m_TransformLocation = glGetUniformLocation(m_Program, "transform");
    m_ColourLocation = glGetUniformLocation(m_Program, "shapeColour");
    glGenBuffers(1, &m_Buffer);
    glGenVertexArrays(1, &m_VertexArray);
    glBindVertexArray(m_VertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, m_Buffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

FlatShapes::~FlatShapes()
{
    glDeleteVertexArrays(1, &m_VertexArray);
    glDeleteBuffers(1, &m_Buffer);
}

void FlatShapes::draw(const std::vector<glm::vec3>& corners, const glm::mat4& transform, const glm::vec4& colour)
{
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glBindBuffer(GL_ARRAY_BUFFER, m_Buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(glm::vec3)), corners.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(m_Program);
    glUniformMatrix4fv(m_TransformLocation, 1, GL_FALSE, glm::value_ptr(transform));
    glUniform4fv(m_ColourLocation, 1, glm::value_ptr(colour));
    glBindVertexArray(m_VertexArray);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners.size()));
    glBindVertexArray(0);
    glUseProgram(0);
    if (culling == GL_TRUE) {
        glEnable(GL_CULL_FACE);
    }
    if (depthTest == GL_TRUE) {
        glEnable(GL_DEPTH_TEST);
    }
}

}
