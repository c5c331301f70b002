#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace Orbivane::Helpers {

// Draws text in window pixels with the 16 x 16 glyph font "res\fonts\test.dds",
// one textured quad per character, alpha-blended over the target framebuffer.
// Text may be plain 8-bit Latin-1 or UTF-8: a UTF-8 sequence shows the font's
// glyph for its code point up to U+00FF and "?" for anything beyond the font.
class Text {
public:
    // The smallest cell in which the font still reads well.
    static constexpr int kSmallestReadableCell = 12;

    Text(GLuint frameBuffer, int screenWidth, int screenHeight);
    ~Text();
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    // Where a block of text is printed, and how large its cells are.
    struct Placement {
        int x;
        int y;
        int size;
    };

    // (x, y) is the lower-left reference in pixels, origin at the lower left;
    // each character fills a size x size square, the first one a cell right of x.
    void print(const char* text, int x, int y, int size);
    // Where `text`, meant for (x, y) in cells of `size`, lies wholly inside the
    // screen: in place while it fits (moved right to the left edge where it
    // would start before it), else with cells shrunk pixel by pixel down to
    // 12; past that moved left or up just enough, and only where even that
    // cannot fit it, with cells smaller still. It never starts outside.
    Placement fit(const char* text, int x, int y, int size) const;
    GLuint loadFont();

    GLuint m_FrameBuffer;
    int m_ScreenWidth;
    int m_ScreenHeight;
    GLuint m_VertexBuffer = 0;
    GLuint m_UVBuffer = 0;
    GLuint m_Program = 0;
    GLuint m_FontTexture = 0;
    GLint m_SamplerLocation = -1;
    GLint m_ScreenSizeLocation = -1;
    // Our own vertex array, so that text draws in contexts without a usable default one.
    GLuint m_VertexArray = 0;

private:
    void buildQuads(const char* text, int x, int y, int size);
    void addQuad(unsigned glyph, int left, int bottom, int size);

    // Kept between calls so that printing every frame does not allocate.
    std::vector<glm::vec2> m_Vertices;
    std::vector<glm::vec2> m_UVs;
};

}
