#include "helpers/Text.h"

#include "helpers/DdsFont.h"
#include "helpers/ExceptionWithMsg.h"
#include "helpers/FilePath.h"
#include "helpers/ShaderManager.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace Orbivane::Helpers {

namespace {

const char* const kFontPath = "res\\fonts\\test.dds";
constexpr float kCell = 1.0f / 16.0f;
constexpr unsigned kNoGlyph = '?';

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Whether `count` continuation bytes follow the lead byte at `text`. The
// second byte also rules out what well-formed UTF-8 never holds: overlong
// forms (after E0 and F0), UTF-16 surrogates (ED) and code points beyond
// U+10FFFF (F4).
bool sequenceFollows(const unsigned char* text, int count)
{
    for (int i = 1; i <= count; ++i) {
        if (!isContinuation(text[i])) {
            return false;
        }
    }
    switch (text[0]) {
    case 0xE0:
        return text[1] >= 0xA0;
    case 0xED:
        return text[1] <= 0x9F;
    case 0xF0:
        return text[1] >= 0x90;
    case 0xF4:
        return text[1] <= 0x8F;
    default:
        return true;
    }
}

// The font cell for the character at `text`, advancing past it. A well-formed
// UTF-8 sequence is one character; every other byte is taken as Latin-1 on its
// own, so 8-bit text keeps working.
unsigned nextGlyph(const unsigned char*& text)
{
    const unsigned char lead = text[0];
    if (lead >= 0xC2 && lead <= 0xDF && sequenceFollows(text, 1)) {
        const unsigned codePoint = ((lead & 0x1Fu) << 6) | (text[1] & 0x3Fu);
        text += 2;
        return codePoint <= 0xFF ? codePoint : kNoGlyph;
    }
    if (lead >= 0xE0 && lead <= 0xEF && sequenceFollows(text, 2)) {
        text += 3;
        return kNoGlyph;
    }
    if (lead >= 0xF0 && lead <= 0xF4 && sequenceFollows(text, 3)) {
        text += 4;
        return kNoGlyph;
    }
    ++text;
    return lead;
}

struct TextExtent {
    int widestLine;
    int lines;
};

// In glyphs, laid out as `print` lays them out; a line without glyphs after
// the last one with any (a closing line break) takes no room.
TextExtent measure(const char* text)
{
    TextExtent extent{0, 0};
    int line = 0;
    int column = 0;
    for (auto next = reinterpret_cast<const unsigned char*>(text); *next != 0;) {
        if (nextGlyph(next) == '\n') {
            ++line;
            column = 0;
            continue;
        }
        extent.widestLine = std::max(extent.widestLine, ++column);
        extent.lines = line + 1;
    }
    return extent;
}

std::vector<std::uint8_t> readFontFile()
{
    std::ifstream in(nativePath(kFontPath), std::ios::binary);
    if (!in) {
        throw ExceptionWithMsg(std::string("Could not open font! ") + kFontPath);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}

Text::Text(GLuint frameBuffer, int screenWidth, int screenHeight)
    : m_FrameBuffer(frameBuffer), m_ScreenWidth(screenWidth), m_ScreenHeight(screenHeight)
{
    glGenBuffers(1, &m_VertexBuffer);
    glGenBuffers(1, &m_UVBuffer);
    m_FontTexture = loadFont();
    m_Program = ShaderManager::instance().getProgram("Text");
    m_SamplerLocation = glGetUniformLocation(m_Program, "sampler");
    m_ScreenSizeLocation = glGetUniformLocation(m_Program, "screenSize");

    glGenVertexArrays(1, &m_VertexArray);
    glBindVertexArray(m_VertexArray);
    glEnableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, m_VertexBuffer);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(1);
    glBindBuffer(GL_ARRAY_BUFFER, m_UVBuffer);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

Text::~Text()
{
    glDeleteVertexArrays(1, &m_VertexArray);
    glDeleteBuffers(1, &m_VertexBuffer);
    glDeleteBuffers(1, &m_UVBuffer);
    glDeleteTextures(1, &m_FontTexture);
}

GLuint Text::loadFont()
{
    const std::vector<std::uint8_t> file = readFontFile();
    const DdsFont font = DdsFont::parse(file, kFontPath);
    if (font.m_Format == 0) {
        return 0;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLint level = 0;
    for (const DdsFontLevel& data : font.m_Levels) {
        glCompressedTexImage2D(GL_TEXTURE_2D, level++, font.m_Format, data.width, data.height, 0, data.size,
                               file.data() + data.offset);
    }
    return texture;
}

Text::Placement Text::fit(const char* text, int x, int y, int size) const
{
    const TextExtent extent = measure(text);
    if (extent.lines == 0) {
        return {x, y, size};
    }
    // The first glyph of a line sits one cell right of x; lines go down from
    // y. A block that would start left of the window starts at its edge.
    const auto leftFor = [x](int cell) { return std::max(x, -cell); };
    const auto rightEdge = [&](int left, int cell) { return left + (extent.widestLine + 1) * cell; };
    const auto bottomEdge = [&](int base, int cell) { return base - (extent.lines - 1) * cell; };
    const int smallest = std::min(size, kSmallestReadableCell);
    for (int cell = size; cell >= smallest; --cell) {
        if (rightEdge(leftFor(cell), cell) <= m_ScreenWidth && bottomEdge(y, cell) >= 0 && y + cell <= m_ScreenHeight) {
            return {leftFor(cell), y, cell};
        }
    }
    const int largestThatFits = std::min(m_ScreenWidth / extent.widestLine, m_ScreenHeight / extent.lines);
    const int cell = std::max(1, std::min(smallest, largestThatFits));
    const int left = std::max(std::min(x, m_ScreenWidth - (extent.widestLine + 1) * cell), -cell);
    // Even a window too small for one-pixel cells keeps the first line in it.
    const int base = std::min(std::max(y, y - bottomEdge(y, cell)), m_ScreenHeight - cell);
    return {left, base, cell};
}

void Text::addQuad(unsigned glyph, int left, int bottom, int size)
{
    const glm::vec2 upLeft(static_cast<float>(left), static_cast<float>(bottom + size));
    const glm::vec2 upRight(static_cast<float>(left + size), static_cast<float>(bottom + size));
    const glm::vec2 downRight(static_cast<float>(left + size), static_cast<float>(bottom));
    const glm::vec2 downLeft(static_cast<float>(left), static_cast<float>(bottom));
    m_Vertices.insert(m_Vertices.end(), {upLeft, downLeft, upRight, downRight, upRight, downLeft});

    const float u = static_cast<float>(glyph % 16) * kCell;
    const float v = static_cast<float>(glyph / 16) * kCell;
    const glm::vec2 uvUpLeft(u, v);
    const glm::vec2 uvUpRight(u + kCell, v);
    const glm::vec2 uvDownRight(u + kCell, v + kCell);
    const glm::vec2 uvDownLeft(u, v + kCell);
    m_UVs.insert(m_UVs.end(), {uvUpLeft, uvDownLeft, uvUpRight, uvDownRight, uvUpRight, uvDownLeft});
}

void Text::buildQuads(const char* text, int x, int y, int size)
{
    m_Vertices.clear();
    m_UVs.clear();
    int column = 0;
    bool lineBreak = false;
    for (auto next = reinterpret_cast<const unsigned char*>(text); *next != 0;) {
        const unsigned glyph = nextGlyph(next);
        column = lineBreak ? 1 : column + 1;
        lineBreak = false;
        if (glyph == '\n') {
            y -= size;
            lineBreak = true;
            continue;
        }
        addQuad(glyph, x + column * size, y, size);
    }
}

void Text::print(const char* text, int x, int y, int size)
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_FrameBuffer);
    glDisable(GL_CULL_FACE);
    // Text lies over everything; the target's depth contents must not hide it.
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);

    buildQuads(text, x, y, size);
    const auto bytes = [](const std::vector<glm::vec2>& data) {
        return static_cast<GLsizeiptr>(data.size() * sizeof(glm::vec2));
    };
    glBindBuffer(GL_ARRAY_BUFFER, m_VertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, bytes(m_Vertices), m_Vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, m_UVBuffer);
    glBufferData(GL_ARRAY_BUFFER, bytes(m_UVs), m_UVs.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glUseProgram(m_Program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_FontTexture);
    glUniform1i(m_SamplerLocation, 0);
    glUniform2f(m_ScreenSizeLocation, static_cast<float>(m_ScreenWidth), static_cast<float>(m_ScreenHeight));
    glBindVertexArray(m_VertexArray);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(m_Vertices.size()));

    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_CULL_FACE);
    if (depthTest == GL_TRUE) {
        glEnable(GL_DEPTH_TEST);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}

}
