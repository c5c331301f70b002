#include "helpers/Text.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// The game sets no texture parameters on the font, so it samples with the default
// mipmapping filter: without every level down to 1 x 1 no text would show.
// Characters are drawn from 16 x 16 cells by their Latin-1 code.
TEST(FontAssets, SquareAtlasWithAFullMipChainAndLatin1GlyphsInTheirOwnCells)
{
    OrbivaneTest::ensureGLContext();
    const OrbivaneTest::TempWorkDir workDir("");
    const Orbivane::Helpers::Text text(0, 640, 480);
    glBindTexture(GL_TEXTURE_2D, text.m_FontTexture);
    const auto levelParameter = [](GLint level, GLenum name) {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
        return value;
    };
    const int size = levelParameter(0, GL_TEXTURE_WIDTH);
    ASSERT_TRUE(size > 0 && size % 16 == 0 && levelParameter(0, GL_TEXTURE_HEIGHT) == size) << size;
    int last = 0;
    while ((size >> last) > 1) {
        ++last;
    }
    EXPECT_EQ(levelParameter(last, GL_TEXTURE_WIDTH), 1) << "the mip chain stops short of 1 x 1";

    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(size) * size);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    const int cell = size / 16;
    for (int code = 0; code < 256; ++code) {
        int inked = 0;
        int maximum = 0;
        int border = 0;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                const int a = alpha[static_cast<std::size_t>((code / 16) * cell + y) * size + (code % 16) * cell + x];
                inked += a > 128 ? 1 : 0;
                maximum = std::max(maximum, a);
                border = x == 0 || y == 0 || x == cell - 1 || y == cell - 1 ? std::max(border, a) : border;
            }
        }
        const bool printable = (code > 32 && code < 127) || code > 160;
        EXPECT_EQ(border, 0) << "character " << code;
        EXPECT_TRUE(printable ? maximum >= 230 && inked >= 8 : maximum == 0) << "character " << code;
    }
}
