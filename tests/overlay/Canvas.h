#pragma once

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <vector>

namespace OverlayTest {

// An RGBA8 framebuffer of the window's size for the overlay to draw into,
// read back as pixels. Rows count from the bottom, as in GL.
class Canvas {
public:
    Canvas(int width, int height);

    // Binds the canvas for drawing with a full viewport and clears it.
    void clear(float grey = 0.0f) const;
    void read();

    std::array<std::uint8_t, 4> pixel(int x, int y) const;
    // Whether any pixel of [x0, x1) x [y0, y1) is noticeably lit.
    bool inked(int x0, int y0, int x1, int y1) const;
    bool operator==(const Canvas& other) const { return m_Pixels == other.m_Pixels; }

    GLuint m_Framebuffer = 0;
    int m_Width;
    int m_Height;
    std::vector<std::uint8_t> m_Pixels;
};

}
