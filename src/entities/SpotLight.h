#pragma once

#include "entities/Entity.h"

#include <vector>

namespace Orbivane::Entities {

// The ship's head light. It has no geometry of its own: the lighting pass
// lets it shade the whole screen from the G-buffer.
class SpotLight : public Entity {
public:
    SpotLight();

    void draw() override;
    glm::mat4 getModelMatrix() override;
    void setModelMatrix(const glm::mat4& modelMatrix);
    void drawLight();

    glm::mat4 m_StoredModelMatrix{1.0f};
    glm::vec3 m_Direction{0.0f};
    GLuint m_VAO = 0;
    GLuint m_VBO = 0;
    GLuint m_LightProgram = 0;
    GLint m_PositionLocation = 0;
    GLint m_LightDirLocation = 0;
    GLint m_AngleLocation = 0;
    GLint m_ModelMatrixUniformLocation = 0;
    std::vector<float> m_QuadVertices;
};

}
