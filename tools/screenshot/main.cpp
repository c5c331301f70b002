// Saves what the X server shows as a PNG: the whole screen, or the first
// window whose title starts with the given text. Used to make the README's
// pictures of the running game under Xvfb. Prints how many pixels are lit
// and how many are white, so that a script can tell whether the game has
// drawn yet and whether its white overlay text is showing.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

Window findWindow(Display* display, Window parent, const std::string& titlePrefix)
{
    char* name = nullptr;
    if (XFetchName(display, parent, &name) != 0 && name != nullptr) {
        const bool matches = std::strncmp(name, titlePrefix.c_str(), titlePrefix.size()) == 0;
        XFree(name);
        if (matches) {
            return parent;
        }
    }
    Window root = 0;
    Window parentOfParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, parent, &root, &parentOfParent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            found = findWindow(display, children[i], titlePrefix);
        }
        XFree(children);
    }
    return found;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshot OUTPUT.png [WINDOW-TITLE-PREFIX]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "screenshot: no X display\n");
        return 1;
    }
    Window window = DefaultRootWindow(display);
    if (argc > 2) {
        window = findWindow(display, window, argv[2]);
        if (window == 0) {
            std::fprintf(stderr, "screenshot: no window titled %s\n", argv[2]);
            return 1;
        }
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "screenshot: could not read the window\n");
        return 1;
    }
    std::vector<unsigned char> rgb;
    long lit = 0;
    long white = 0;
    rgb.reserve(static_cast<std::size_t>(attributes.width) * static_cast<std::size_t>(attributes.height) * 3);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const auto red = static_cast<unsigned char>((pixel & image->red_mask) >> 16);
            const auto green = static_cast<unsigned char>((pixel & image->green_mask) >> 8);
            const auto blue = static_cast<unsigned char>(pixel & image->blue_mask);
            lit += red + green + blue > 0 ? 1 : 0;
            white += red > 200 && green > 200 && blue > 200 ? 1 : 0;
            rgb.insert(rgb.end(), {red, green, blue});
        }
    }
    const int written = stbi_write_png(argv[1], attributes.width, attributes.height, 3, rgb.data(), attributes.width * 3);
    XDestroyImage(image);
    XCloseDisplay(display);
    std::printf("%ld %ld\n", lit, white);
    return written != 0 ? 0 : 1;
}
