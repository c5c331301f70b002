#include "helpers/DdsFont.h"

#include "helpers/ExceptionWithMsg.h"

#include <algorithm>
#include <climits>

namespace Orbivane::Helpers {

namespace {

constexpr std::size_t kMagicSize = 4;
constexpr std::size_t kHeaderSize = 124;
constexpr std::size_t kDataStart = kMagicSize + kHeaderSize;

// Field offsets within the file, the magic included.
constexpr std::size_t kHeightOffset = kMagicSize + 8;
constexpr std::size_t kWidthOffset = kMagicSize + 12;
constexpr std::size_t kLinearSizeOffset = kMagicSize + 16;
constexpr std::size_t kMipmapCountOffset = kMagicSize + 24;
constexpr std::size_t kFourCCOffset = kMagicSize + 80;

struct Compression {
    const char* fourCC;
    GLenum format;
    std::uint64_t blockSize;
};

constexpr Compression kCompressions[] = {
    {"DXT1", GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8},
    {"DXT3", GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 16},
    {"DXT5", GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 16},
};

std::uint32_t read32(const std::vector<std::uint8_t>& file, std::size_t offset)
{
    return static_cast<std::uint32_t>(file[offset]) | (static_cast<std::uint32_t>(file[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(file[offset + 2]) << 16) | (static_cast<std::uint32_t>(file[offset + 3]) << 24);
}

bool hasMagic(const std::vector<std::uint8_t>& file)
{
    return std::equal(file.begin(), file.begin() + kMagicSize, "DDS ");
}

const Compression* findCompression(const std::vector<std::uint8_t>& file)
{
    for (const Compression& compression : kCompressions) {
        if (std::equal(file.begin() + kFourCCOffset, file.begin() + kFourCCOffset + 4, compression.fourCC)) {
            return &compression;
        }
    }
    return nullptr;
}

// A level chain halves both sides down to 1 x 1, so it has as many levels as
// the larger side has binary digits.
std::uint32_t levelsAllowed(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t side = std::max(width, height);
    std::uint32_t levels = 0;
    for (; side > 0; side >>= 1) {
        ++levels;
    }
    return levels;
}

std::string sizeText(std::uint64_t width, std::uint64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

}

DdsFont DdsFont::parse(const std::vector<std::uint8_t>& file, const std::string& fileName)
{
    if (file.size() >= kMagicSize && !hasMagic(file)) {
        throw ExceptionWithMsg("Font is not a DDS file!");
    }
    if (file.size() < kDataStart) {
        throw ExceptionWithMsg("Font file is shorter than its " + std::to_string(kDataStart) +
                               "-byte header: " + fileName);
    }
    DdsFont font;
    const Compression* compression = findCompression(file);
    const std::uint32_t mipmapCount = read32(file, kMipmapCountOffset);
    if (compression == nullptr || mipmapCount == 0) {
        font.m_Format = compression != nullptr ? compression->format : 0;
        return font;
    }
    font.m_Format = compression->format;

    std::uint64_t width = read32(file, kWidthOffset);
    std::uint64_t height = read32(file, kHeightOffset);
    if (width > INT_MAX || height > INT_MAX) {
        throw ExceptionWithMsg("Font size " + sizeText(width, height) + " is too large: " + fileName);
    }
    const std::uint32_t allowed = levelsAllowed(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    if (mipmapCount > allowed) {
        throw ExceptionWithMsg("Font has " + std::to_string(mipmapCount) + " mipmap levels, but a " +
                               sizeText(width, height) + " image has only " + std::to_string(allowed) + ": " +
                               fileName);
    }

    // Only this much of the file is taken as level data, however long it is.
    const std::uint64_t linearSize = read32(file, kLinearSizeOffset);
    const std::uint64_t dataWanted = mipmapCount > 1 ? linearSize * 2 : linearSize;
    const std::uint64_t dataRead = std::min<std::uint64_t>(dataWanted, file.size() - kDataStart);

    std::uint64_t offset = 0;
    for (std::uint32_t level = 0; level < mipmapCount; ++level) {
        const std::uint64_t size = ((width + 3) / 4) * ((height + 3) / 4) * compression->blockSize;
        if (size > INT_MAX) {
            throw ExceptionWithMsg("Font level " + std::to_string(level) + " of " + sizeText(width, height) +
                                   " is too large: " + fileName);
        }
        if (offset + size > dataRead) {
            throw ExceptionWithMsg("Font level " + std::to_string(level) + " ends at byte " +
                                   std::to_string(offset + size) + " of the level data, but only " +
                                   std::to_string(dataRead) + " were read: " + fileName);
        }
        font.m_Levels.push_back({static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                                 static_cast<std::size_t>(kDataStart + offset), static_cast<GLsizei>(size)});
        offset += size;
        width = std::max<std::uint64_t>(1, width / 2);
        height = std::max<std::uint64_t>(1, height / 2);
    }
    return font;
}

}
