#include "helpers/TextureManager.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/FilePath.h"

#include <stb_image.h>

#include <algorithm>
#include <array>
#include <future>
#include <memory>
#include <vector>

namespace Orbivane::Helpers {

namespace {

struct FilterPair {
    GLint min;
    GLint mag;
};

constexpr std::array<FilterPair, 4> kSampleModes{{
    {GL_LINEAR, GL_LINEAR},
    {GL_NEAREST, GL_NEAREST},
    {GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
    {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
}};

using Pixels = std::unique_ptr<stbi_uc, decltype(&stbi_image_free)>;

// An image and, where its sides are powers of two, its mipmap levels below
// the first, down to 1 x 1.
struct RgbImage {
    Pixels pixels{nullptr, &stbi_image_free};
    int width = 0;
    int height = 0;
    std::vector<std::vector<stbi_uc>> smallerLevels;
};

int roundedMean(int first, int second)
{
    return (first + second + 1) / 2;
}

bool isPowerOfTwo(int side)
{
    return side > 0 && (side & (side - 1)) == 0;
}

// The next smaller mipmap level of an image whose sides are powers of two:
// each texel the mean of (up to) 2 x 2 texels, the two of each row first,
// rounded as the software rasteriser's own mipmap generation rounds, so the
// levels come out as glGenerateMipmap makes them there, without the shader
// that it compiles for every kind of texture during the start.
std::vector<stbi_uc> halved(const stbi_uc* level, int width, int height, int halfWidth, int halfHeight)
{
    std::vector<stbi_uc> half(static_cast<std::size_t>(halfWidth) * static_cast<std::size_t>(halfHeight) * 3);
    const auto at = [level, width](int x, int y, int channel) {
        return static_cast<int>(level[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                       static_cast<std::size_t>(x)) * 3 + static_cast<std::size_t>(channel)]);
    };
    stbi_uc* texel = half.data();
    for (int y = 0; y < halfHeight; ++y) {
        const int top = std::min(2 * y, height - 1);
        const int bottom = std::min(2 * y + 1, height - 1);
        for (int x = 0; x < halfWidth; ++x) {
            const int left = std::min(2 * x, width - 1);
            const int right = std::min(2 * x + 1, width - 1);
            for (int channel = 0; channel < 3; ++channel) {
                *texel++ = static_cast<stbi_uc>(roundedMean(roundedMean(at(left, top, channel), at(right, top, channel)),
                                                            roundedMean(at(left, bottom, channel),
                                                                        at(right, bottom, channel))));
            }
        }
    }
    return half;
}

// Sides that are not powers of two do not halve evenly, and drivers filter
// those in ways of their own, so their levels are left to the driver. This
// touches no GL state, so several images can be prepared at once.
RgbImage decodeRgb(const std::string& path)
{
    RgbImage image;
    int channelsInFile = 0;
    image.pixels.reset(stbi_load(nativePath(path).c_str(), &image.width, &image.height, &channelsInFile, 3));
    if (!image.pixels || !isPowerOfTwo(image.width) || !isPowerOfTwo(image.height)) {
        return image;
    }
    const stbi_uc* pixels = image.pixels.get();
    for (int width = image.width, height = image.height; width > 1 || height > 1;) {
        const int halfWidth = std::max(width / 2, 1);
        const int halfHeight = std::max(height / 2, 1);
        image.smallerLevels.push_back(halved(pixels, width, height, halfWidth, halfHeight));
        pixels = image.smallerLevels.back().data();
        width = halfWidth;
        height = halfHeight;
    }
    return image;
}

bool bringsItsLevels(const RgbImage& image)
{
    return !image.smallerLevels.empty();
}

// Storage for the image and all its levels at once: the software rasteriser
// takes about twice as long to grow a texture a level at a time (the sky's
// six faces: 190 against 100 ms of the start).
void allocateLevels(GLenum target, const RgbImage& image)
{
    glTexStorage2D(target, static_cast<GLsizei>(image.smallerLevels.size()) + 1, GL_RGB8, image.width, image.height);
}

// Rows of an RGB image need not be a multiple of four bytes long, so the
// uploads must not assume GL's default row alignment.
void uploadLevels(GLenum target, const RgbImage& image)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(target, 0, 0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.get());
    int width = image.width;
    int height = image.height;
    GLint index = 0;
    for (const std::vector<stbi_uc>& level : image.smallerLevels) {
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
        glTexSubImage2D(target, ++index, 0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, level.data());
    }
}

// The first level only: the driver makes the others.
void uploadFirstLevel(GLenum target, const RgbImage& image)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(target, 0, GL_RGB, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.get());
}

}

TextureManager& TextureManager::instance()
{
    static TextureManager manager;
    return manager;
}

GLuint TextureManager::loadTexture(const std::string& path)
{
    const auto cached = m_Textures.find(path);
    if (cached != m_Textures.end()) {
        return cached->second;
    }
    const RgbImage image = decodeRgb(path);
    if (!image.pixels) {
        throw ExceptionWithMsg("Could not load texture. Path: " + path);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (bringsItsLevels(image)) {
        allocateLevels(GL_TEXTURE_2D, image);
        uploadLevels(GL_TEXTURE_2D, image);
    } else {
        uploadFirstLevel(GL_TEXTURE_2D, image);
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    m_Textures[path] = texture;
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

int TextureManager::sampleMode() const
{
    return m_SampleMode;
}

void TextureManager::setSampleMode(int mode)
{
    if (mode == m_SampleMode || mode < 0 || mode >= static_cast<int>(kSampleModes.size())) {
        return;
    }
    m_SampleMode = mode;
    const FilterPair filters = kSampleModes[static_cast<size_t>(mode)];
    for (const auto& entry : m_Textures) {
        glBindTexture(GL_TEXTURE_2D, entry.second);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filters.min);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filters.mag);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

GLuint loadCubemap(const std::string& directory, const std::string& right, const std::string& left,
                   const std::string& top, const std::string& bottom, const std::string& back,
                   const std::string& front)
{
    const std::array<std::string, 6> faces{right, left, top, bottom, back, front};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    // The six faces are decoded and halved side by side, a good part of the
    // game's start; only their uploads need the context.
    std::array<std::future<RgbImage>, 6> decoded;
    for (size_t face = 0; face < faces.size(); ++face) {
        decoded[face] = std::async(std::launch::async, decodeRgb, directory + faces[face]);
    }
    std::array<RgbImage, 6> images;
    for (size_t face = 0; face < faces.size(); ++face) {
        images[face] = decoded[face].get();
        if (!images[face].pixels) {
            throw ExceptionWithMsg("Could not load cubemap-texture." + directory + faces[face]);
        }
    }
    const bool ownLevels = std::all_of(images.begin(), images.end(), [&images](const RgbImage& image) {
        return bringsItsLevels(image) && image.width == images[0].width && image.height == images[0].height;
    });
    if (ownLevels) {
        allocateLevels(GL_TEXTURE_CUBE_MAP, images[0]);
    }
    for (size_t face = 0; face < images.size(); ++face) {
        const auto target = static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face);
        ownLevels ? uploadLevels(target, images[face]) : uploadFirstLevel(target, images[face]);
    }
    if (!ownLevels) {
        glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return texture;
}

}
