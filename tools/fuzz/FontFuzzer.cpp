// Any bytes as the DDS font: parsing either refuses the file with a message
// or yields a chain of levels that lies wholly inside the bytes it was given,
// each level right after the previous one and half its size.
#include "ScratchDir.h"

#include "helpers/DdsFont.h"
#include "helpers/ExceptionWithMsg.h"

#include <algorithm>
#include <cstdint>

using Orbivane::Helpers::DdsFont;
using Orbivane::Helpers::DdsFontLevel;
using Orbivane::Helpers::ExceptionWithMsg;
using OrbivaneFuzz::fail;

namespace {

constexpr std::size_t kDataStart = 128;

std::size_t blockBytes(GLenum format)
{
    switch (format) {
    case GL_COMPRESSED_RGBA_S3TC_DXT1_EXT: return 8;
    case GL_COMPRESSED_RGBA_S3TC_DXT3_EXT:
    case GL_COMPRESSED_RGBA_S3TC_DXT5_EXT: return 16;
    default: fail("unknown format with levels");
    }
}

void checkLevels(const DdsFont& font, std::size_t fileSize)
{
    std::size_t nextOffset = kDataStart;
    const DdsFontLevel* previous = nullptr;
    for (const DdsFontLevel& level : font.m_Levels) {
        // In 64 bits: a side near INT_MAX is a valid level, and +3 must not overflow.
        const auto blocksWide = static_cast<std::size_t>((std::int64_t{level.width} + 3) / 4);
        const auto blocksHigh = static_cast<std::size_t>((std::int64_t{level.height} + 3) / 4);
        if (level.width < 0 || level.height < 0 || level.size < 0 ||
            static_cast<std::size_t>(level.size) != blocksWide * blocksHigh * blockBytes(font.m_Format)) {
            fail("level size does not match its dimensions");
        }
        if (level.offset != nextOffset || level.offset + static_cast<std::size_t>(level.size) > fileSize) {
            fail("level leaves the bytes that were read");
        }
        if (previous != nullptr &&
            (level.width != std::max(1, previous->width / 2) || level.height != std::max(1, previous->height / 2))) {
            fail("level is not half the previous one");
        }
        nextOffset = level.offset + static_cast<std::size_t>(level.size);
        previous = &level;
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> file(data, data + size);
    try {
        checkLevels(DdsFont::parse(file, "fuzz.dds"), size);
    } catch (const ExceptionWithMsg& e) {
        if (e.m_Message.empty()) {
            fail("refused without a message");
        }
    }
    return 0;
}
