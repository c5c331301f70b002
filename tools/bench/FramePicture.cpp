#include "FramePicture.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

constexpr long PixelsPerAllowedDifference = 500;
constexpr int ClearDifference = 4;
constexpr double MinimumPsnr = 45.0;

}

FramePicture::FramePicture(GLuint framebuffer, int width, int height)
    : m_Width(width), m_Height(height), m_Rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
{
    std::vector<unsigned char> bottomUp(m_Rgb.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(framebuffer == 0 ? GL_BACK : GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    for (int row = 0; row < height; ++row) {
        std::copy_n(bottomUp.data() + static_cast<std::size_t>(height - 1 - row) * rowBytes, rowBytes,
                    m_Rgb.data() + static_cast<std::size_t>(row) * rowBytes);
    }
}

FramePicture::Difference FramePicture::compareWith(const std::string& referencePng) const
{
    Difference difference;
    difference.pixels = static_cast<long>(m_Width) * m_Height;
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<unsigned char, void (*)(void*)> reference(
        stbi_load(referencePng.c_str(), &width, &height, &channels, 3), stbi_image_free);
    if (!reference || width != m_Width || height != m_Height) {
        return difference;
    }
    difference.referenceFound = true;
    double squaredError = 0.0;
    for (long pixel = 0; pixel < difference.pixels; ++pixel) {
        int largestDelta = 0;
        for (long channel = pixel * 3; channel < pixel * 3 + 3; ++channel) {
            const int delta = static_cast<int>(m_Rgb[static_cast<std::size_t>(channel)]) -
                              static_cast<int>(reference.get()[channel]);
            squaredError += static_cast<double>(delta * delta);
            largestDelta = std::max(largestDelta, std::abs(delta));
        }
        difference.differingPixels += largestDelta != 0 ? 1 : 0;
        difference.clearlyDifferingPixels += largestDelta > ClearDifference ? 1 : 0;
    }
    const double meanSquaredError = squaredError / static_cast<double>(difference.pixels * 3);
    difference.psnr = meanSquaredError == 0.0 ? std::numeric_limits<double>::infinity()
                                              : 10.0 * std::log10(255.0 * 255.0 / meanSquaredError);
    return difference;
}

bool FramePicture::Difference::withinRule() const
{
    return referenceFound && clearlyDifferingPixels * PixelsPerAllowedDifference <= pixels && psnr >= MinimumPsnr;
}

std::string FramePicture::Difference::describe() const
{
    if (!referenceFound) {
        return "no reference picture";
    }
    char text[160];
    std::snprintf(text, sizeof text, "%ld of %ld pixels differ, %ld by more than %d/255, PSNR %.1f dB: %s",
                  differingPixels, pixels, clearlyDifferingPixels, ClearDifference, psnr,
                  withinRule() ? "same picture" : "PICTURE CHANGED");
    return text;
}

void FramePicture::savePng(const std::string& path) const
{
    stbi_write_png(path.c_str(), m_Width, m_Height, 3, m_Rgb.data(), m_Width * 3);
}
