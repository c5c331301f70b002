#include "Canvas.h"

#include <algorithm>

namespace OverlayTest {

Canvas::Canvas(int width, int height) : m_Width(width), m_Height(height)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &m_Framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Canvas::clear(float grey) const
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
    glViewport(0, 0, m_Width, m_Height);
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void Canvas::read()
{
    m_Pixels.resize(static_cast<std::size_t>(m_Width) * m_Height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_Width, m_Height, GL_RGBA, GL_UNSIGNED_BYTE, m_Pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
}

std::array<std::uint8_t, 4> Canvas::pixel(int x, int y) const
{
    const std::size_t at = (static_cast<std::size_t>(y) * m_Width + x) * 4;
    return {m_Pixels[at], m_Pixels[at + 1], m_Pixels[at + 2], m_Pixels[at + 3]};
}

bool Canvas::inked(int x0, int y0, int x1, int y1) const
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

}
