#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// The picture of a frame as the player sees it (8-bit RGB, top row first),
// and its comparison with the reference picture that the game drew before
// any speed-up: a faster frame must look the same.
class FramePicture {
public:
    // Reads colour attachment 0 of `framebuffer`.
    FramePicture(GLuint framebuffer, int width, int height);

    struct Difference {
        bool referenceFound = false;
        long differingPixels = 0;
        long pixels = 0;
        // Infinite when the pictures are identical.
        double psnr = 0.0;
        // At most one pixel in 2,000 differs at all, and the PSNR is at least 50 dB.
        bool withinRule() const;
        std::string describe() const;
    };

    Difference compareWith(const std::string& referencePng) const;
    void savePng(const std::string& path) const;

private:
    int m_Width;
    int m_Height;
    std::vector<unsigned char> m_Rgb;
};
