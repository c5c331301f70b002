#pragma once

#include <glm/vec3.hpp>

#include <filesystem>
#include <functional>
#include <vector>

namespace AssetGen {

// An RGB image with float channels, nominally in [0, 1] (values outside are
// clamped when written). Row 0 is the top of the picture, as in the files.
class Image {
public:
    Image(int width, int height, const glm::vec3& fill = glm::vec3(0.0f));

    int width() const { return m_Width; }
    int height() const { return m_Height; }

    glm::vec3& at(int x, int y) { return m_Pixels[index(x, y)]; }
    const glm::vec3& at(int x, int y) const { return m_Pixels[index(x, y)]; }
    // Coordinates wrap around both edges, so tiling textures can be drawn
    // without caring where a shape crosses the border.
    glm::vec3& wrapped(int x, int y);

    // Calls `shade` with the pixel centre in [0, 1] x [0, 1] for every pixel.
    void fill(const std::function<glm::vec3(float u, float v)>& shade);
    // Treats the image as a longitude/latitude map of a sphere (u around the
    // equator, v from the north pole at the top to the south pole at the
    // bottom) and calls `shade` with the unit direction of each pixel.
    void fillSphere(const std::function<glm::vec3(const glm::vec3& direction)>& shade);

    // Averages factor x factor blocks.
    Image downsampled(int factor) const;
    // Bilinear resampling to an arbitrary size.
    Image resized(int width, int height) const;
    void paste(const Image& source, int left, int top);

    std::vector<unsigned char> toBytes() const;
    void writePng(const std::filesystem::path& file) const;
    void writeJpg(const std::filesystem::path& file, int quality) const;
    // 24-bit, no alpha.
    void writeBmp(const std::filesystem::path& file) const;
    // Decoded the way the game decodes: three channels, alpha dropped.
    static Image load(const std::filesystem::path& file);

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * m_Width + x; }

    int m_Width;
    int m_Height;
    std::vector<glm::vec3> m_Pixels;
};

}
