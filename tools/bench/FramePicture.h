#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// The picture of a frame as the player sees it (8-bit RGB, top row first),
// and its comparison with the reference picture that the game drew before
// any speed-up: a faster frame must look the same.
class FramePicture {
public:
    // Reads colour attachment 0 of `framebuffer`, or the window's back buffer for 0.
    FramePicture(GLuint framebuffer, int width, int height);

    struct Difference {
        bool referenceFound = false;
        long differingPixels = 0;
        // Pixels that differ by more than 4/255 in any channel.
        long clearlyDifferingPixels = 0;
        long pixels = 0;
        // Infinite when the pictures are identical.
        double psnr = 0.0;
        // Far bodies are drawn from coarser meshes, whose shading may differ
        // a little: at most one pixel in 500 differs by more than 4/255 in
        // any channel, and the PSNR is at least 45 dB. (Without them, the
        // rule was one pixel in 2,000 differing at all, and 50 dB.)
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
