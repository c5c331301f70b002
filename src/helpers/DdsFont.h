#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Orbivane::Helpers {

// Where one compressed mipmap level lies inside the font file's bytes.
struct DdsFontLevel {
    GLsizei width = 0;
    GLsizei height = 0;
    std::size_t offset = 0;
    GLsizei size = 0;
};

// The bitmap font's DDS header and its chain of mipmap levels, checked
// against the bytes the file really holds. Parsing needs no GL context, so it
// can be exercised (and fuzzed) on arbitrary bytes; only the upload needs GL.
class DdsFont {
public:
    // Throws ExceptionWithMsg naming `fileName` when the header lies about the
    // file. A pixel format other than DXT1, DXT3 or DXT5 is not an error: it
    // yields m_Format 0 and no levels.
    static DdsFont parse(const std::vector<std::uint8_t>& file, const std::string& fileName);

    GLenum m_Format = 0;
    std::vector<DdsFontLevel> m_Levels;
};

}
