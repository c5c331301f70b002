#include "entities/GUI.h"

#include "helpers/ShaderManager.h"

#include <array>

namespace Orbivane::Entities {

GUI::GUI(int type, float x, float y, float width, float height, GLuint frameBuffer, int screenWidth,
         int screenHeight)
    : Entity(glm::vec3(0.0f), glm::vec3(0.0f)), m_Type(type), m_X(x), m_Y(y), m_Width(width), m_Height(height),
      m_TextRenderer(frameBuffer, screenWidth, screenHeight)
{
    init();
}

GUI::~GUI()
{
    glDeleteVertexArrays(1, &m_VAO);
    glDeleteBuffers(1, &m_VBO);
}

void GUI::place(float x, float y, int screenWidth, int screenHeight, int cellSize)
{
    m_X = x;
    m_Y = y;
    m_TextSize = cellSize;
    m_TextRenderer.m_ScreenWidth = screenWidth;
    m_TextRenderer.m_ScreenHeight = screenHeight;
}

void GUI::init()
{
    m_GUIProgram = Helpers::ShaderManager::instance().getProgram("GUILinear");
    m_ValueLocation = glGetUniformLocation(m_GUIProgram, "u_GUIValue");
    m_TypeLocation = glGetUniformLocation(m_GUIProgram, "u_GUIType");

    const float x2 = m_X + m_Width;
    const float y2 = m_Y + m_Height;
    const std::array<float, 12> corners{m_X, m_Y, m_X, y2, x2, y2, m_X, m_Y, x2, y2, x2, m_Y};
    glGenBuffers(1, &m_VBO);
    glBindBuffer(GL_ARRAY_BUFFER, m_VBO);
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners.data(), GL_STATIC_DRAW);
    glGenVertexArrays(1, &m_VAO);
    glBindVertexArray(m_VAO);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void GUI::draw()
{
    if (m_Type == kText) {
        const Helpers::Text::Placement place =
            m_TextRenderer.fit(m_Text.c_str(), static_cast<int>(m_X), static_cast<int>(m_Y), m_TextSize);
        m_TextRenderer.print(m_Text.c_str(), place.x, place.y, place.size);
        return;
    }
    glDisable(GL_DEPTH_TEST);
    // The quad winds clockwise; whichever faces the pass before us culls, the bar must show.
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_CULL_FACE);
    glBindVertexArray(m_VAO);
    glUseProgram(m_GUIProgram);
    if (m_Type == kBar) {
        glUniform1f(m_ValueLocation, m_Y + m_Value * m_Height);
        glUniform1i(m_TypeLocation, kBar);
    } else if (m_Type == kValueQuad) {
        glUniform1f(m_ValueLocation, m_Value);
        glUniform1i(m_TypeLocation, kValueQuad);
    }
    glDrawArrays(GL_TRIANGLES, 0, 6);
    if (culling == GL_TRUE) {
        glEnable(GL_CULL_FACE);
    }
    glEnable(GL_DEPTH_TEST);
    glBindVertexArray(0);
}

}
