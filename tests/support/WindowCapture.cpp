#include "support/WindowCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdexcept>

namespace OrbivaneTest {

WindowImage captureWindow(unsigned long window)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        throw std::runtime_error("no X display to capture from");
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    WindowImage image{attributes.width, attributes.height, {}};
    XImage* pixels = XGetImage(display, window, 0, 0, static_cast<unsigned>(image.width),
                               static_cast<unsigned>(image.height), AllPlanes, ZPixmap);
    if (pixels != nullptr) {
        image.rgb.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const unsigned long pixel = XGetPixel(pixels, x, y);
                image.rgb.push_back(static_cast<unsigned char>((pixel & pixels->red_mask) >> 16));
                image.rgb.push_back(static_cast<unsigned char>((pixel & pixels->green_mask) >> 8));
                image.rgb.push_back(static_cast<unsigned char>(pixel & pixels->blue_mask));
            }
        }
        XDestroyImage(pixels);
    }
    XCloseDisplay(display);
    return image;
}

}
