#pragma once

#include "entities/Entity.h"
#include "helpers/Text.h"

#include <string>

namespace Orbivane::Entities {

// One element of the overlay: a bar in normalised device coordinates drawn
// with the "GUILinear" program, or a block of text in window pixels.
class GUI : public Entity {
public:
    static constexpr int kBar = 0;
    static constexpr int kValueQuad = 1;
    static constexpr int kText = 2;

    // (x, y) is the lower-left corner: window pixels for text, device
    // coordinates for bars. Text is laid out for a window of
    // screenWidth x screenHeight pixels and drawn into frameBuffer.
    GUI(int type, float x, float y, float width, float height, GLuint frameBuffer, int screenWidth,
        int screenHeight);
    ~GUI();
    GUI(const GUI&) = delete;
    GUI& operator=(const GUI&) = delete;

    void draw() override;
    virtual void init();
    // Moves a text element for a window of a new size, in cells of
    // `cellSize` pixels; its text fits itself into the window each time it
    // is drawn.
    void place(float x, float y, int screenWidth, int screenHeight, int cellSize);

    int m_Type;
    GLuint m_GUIProgram = 0;
    GLuint m_VAO = 0;
    GLint m_ValueLocation = -1;
    GLint m_TypeLocation = -1;
    GLuint m_VBO = 0;
    float m_X;
    float m_Y;
    float m_Width;
    float m_Height;
    float m_Value = 0.5f;
    std::string m_Text;
    Helpers::Text m_TextRenderer;
    int m_TextSize = 24;
};

}
