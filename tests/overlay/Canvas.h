#pragma once

#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace OverlayTest {

// An RGBA8 framebuffer of the window's size for the overlay to draw into,
// read back as pixels. Rows count from the bottom, as in GL.
struct Canvas {
    Canvas(int width, int height) : m_Width(width), m_Height(height)
    {
        GLuint texture = 0;
        glCreateTextures(GL_TEXTURE_2D, 1, &texture);
        glTextureStorage2D(texture, 1, GL_RGBA8, width, height);
        glCreateFramebuffers(1, &m_Framebuffer);
        glNamedFramebufferTexture(m_Framebuffer, GL_COLOR_ATTACHMENT0, texture, 0);
    }

    // Binds the canvas for drawing with a full viewport and clears it.
    void clear(float grey = 0.0f) const
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glViewport(0, 0, m_Width, m_Height);
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void read()
    {
        m_Pixels.resize(static_cast<std::size_t>(m_Width) * m_Height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Framebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, m_Width, m_Height, GL_RGBA, GL_UNSIGNED_BYTE, m_Pixels.data());
    }

    std::array<std::uint8_t, 4> pixel(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * m_Width + x) * 4;
        return {m_Pixels[at], m_Pixels[at + 1], m_Pixels[at + 2], m_Pixels[at + 3]};
    }

    // Whether any pixel of [x0, x1) x [y0, y1) is noticeably lit.
    bool inked(int x0, int y0, int x1, int y1) const
    {
        for (int y = std::max(y0, 0); y < std::min(y1, m_Height); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, m_Width); ++x) {
                if (pixel(x, y)[0] > 24) {
                    return true;
                }
            }
        }
        return false;
    }

    bool operator==(const Canvas& other) const { return m_Pixels == other.m_Pixels; }

    GLuint m_Framebuffer = 0;
    int m_Width;
    int m_Height;
    std::vector<std::uint8_t> m_Pixels;
};

}
