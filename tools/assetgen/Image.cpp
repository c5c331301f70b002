#include "Image.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <glm/common.hpp>
#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace AssetGen {

namespace {

int wrap(int value, int size)
{
    const int r = value % size;
    return r < 0 ? r + size : r;
}

void requireWritten(int result, const std::filesystem::path& file)
{
    if (result == 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}

Image::Image(int width, int height, const glm::vec3& fill)
    : m_Width(width), m_Height(height), m_Pixels(static_cast<std::size_t>(width) * height, fill)
{
}

glm::vec3& Image::wrapped(int x, int y)
{
    return at(wrap(x, m_Width), wrap(y, m_Height));
}

void Image::fill(const std::function<glm::vec3(float u, float v)>& shade)
{
    for (int y = 0; y < m_Height; ++y) {
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(m_Height);
        for (int x = 0; x < m_Width; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(m_Width);
            at(x, y) = shade(u, v);
        }
    }
}

void Image::fillSphere(const std::function<glm::vec3(const glm::vec3& direction)>& shade)
{
    const float pi = glm::pi<float>();
    fill([&](float u, float v) {
        const float longitude = 2.0f * pi * u;
        const float latitude = 0.5f * pi - pi * v;
        const glm::vec3 direction(std::cos(latitude) * std::cos(longitude), std::sin(latitude),
                                  std::cos(latitude) * std::sin(longitude));
        return shade(direction);
    });
}

Image Image::downsampled(int factor) const
{
    Image result(m_Width / factor, m_Height / factor);
    const float weight = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < result.m_Height; ++y) {
        for (int x = 0; x < result.m_Width; ++x) {
            glm::vec3 sum(0.0f);
            for (int j = 0; j < factor; ++j) {
                for (int i = 0; i < factor; ++i) {
                    sum += at(x * factor + i, y * factor + j);
                }
            }
            result.at(x, y) = sum * weight;
        }
    }
    return result;
}

Image Image::resized(int width, int height) const
{
    Image result(width, height);
    const float sx = static_cast<float>(m_Width) / static_cast<float>(width);
    const float sy = static_cast<float>(m_Height) / static_cast<float>(height);
    for (int y = 0; y < height; ++y) {
        const float fy = std::clamp((static_cast<float>(y) + 0.5f) * sy - 0.5f, 0.0f, static_cast<float>(m_Height - 1));
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, m_Height - 1);
        const float ty = fy - static_cast<float>(y0);
        for (int x = 0; x < width; ++x) {
            const float fx = std::clamp((static_cast<float>(x) + 0.5f) * sx - 0.5f, 0.0f, static_cast<float>(m_Width - 1));
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, m_Width - 1);
            const float tx = fx - static_cast<float>(x0);
            const glm::vec3 top = glm::mix(at(x0, y0), at(x1, y0), tx);
            const glm::vec3 bottom = glm::mix(at(x0, y1), at(x1, y1), tx);
            result.at(x, y) = glm::mix(top, bottom, ty);
        }
    }
    return result;
}

void Image::paste(const Image& source, int left, int top)
{
    for (int y = 0; y < source.m_Height; ++y) {
        for (int x = 0; x < source.m_Width; ++x) {
            const int tx = left + x;
            const int ty = top + y;
            if (tx >= 0 && ty >= 0 && tx < m_Width && ty < m_Height) {
                at(tx, ty) = source.at(x, y);
            }
        }
    }
}

std::vector<unsigned char> Image::toBytes() const
{
    std::vector<unsigned char> bytes;
    bytes.reserve(m_Pixels.size() * 3);
    for (const glm::vec3& pixel : m_Pixels) {
        for (int c = 0; c < 3; ++c) {
            const float value = std::clamp(pixel[c], 0.0f, 1.0f) * 255.0f + 0.5f;
            bytes.push_back(static_cast<unsigned char>(value));
        }
    }
    return bytes;
}

void Image::writePng(const std::filesystem::path& file) const
{
    const std::vector<unsigned char> bytes = toBytes();
    requireWritten(stbi_write_png(file.c_str(), m_Width, m_Height, 3, bytes.data(), m_Width * 3), file);
}

void Image::writeJpg(const std::filesystem::path& file, int quality) const
{
    const std::vector<unsigned char> bytes = toBytes();
    requireWritten(stbi_write_jpg(file.c_str(), m_Width, m_Height, 3, bytes.data(), quality), file);
}

void Image::writeBmp(const std::filesystem::path& file) const
{
    const std::vector<unsigned char> bytes = toBytes();
    requireWritten(stbi_write_bmp(file.c_str(), m_Width, m_Height, 3, bytes.data()), file);
}

Image Image::load(const std::filesystem::path& file)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load(file.c_str(), &width, &height, &channels, 3), &stbi_image_free);
    if (!pixels) {
        throw std::runtime_error("cannot decode " + file.string());
    }
    Image image(width, height);
    for (int i = 0; i < width * height; ++i) {
        image.m_Pixels[i] = glm::vec3(pixels.get()[i * 3], pixels.get()[i * 3 + 1], pixels.get()[i * 3 + 2]) / 255.0f;
    }
    return image;
}

}
