#pragma once

#include <stb_image.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// Reading the generated files of the built game the way the game reads them.
namespace GeneratedAssets {

inline std::filesystem::path res(const std::string& relative)
{
    return std::filesystem::path(ORBIVANE_GAME_DIR) / "res" / relative;
}

inline bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An image decoded with stb_image asking for three channels, as the game does.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    bool valid() const { return width > 0 && height > 0; }
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    float luminance(int x, int y) const
    {
        const std::uint8_t* p = at(x, y);
        return 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
    }
};

inline RgbImage decodeRgb(const std::filesystem::path& file)
{
    RgbImage image;
    int channels = 0;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load(file.c_str(), &image.width, &image.height, &channels, 3), &stbi_image_free);
    if (!pixels) {
        return {};
    }
    image.rgb.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(image.width) * image.height * 3);
    return image;
}

}
