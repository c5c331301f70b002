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
#include <unistd.h>
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

struct Shot {
    std::vector<unsigned char> rgb;
    int width = 0;
    int height = 0;
    long lit = 0;
    long white = 0;
};

bool takeShot(Display* display, Window window, Shot& shot)
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.map_state != IsViewable) {
        return false;
    }
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    shot = Shot{};
    shot.width = attributes.width;
    shot.height = attributes.height;
    shot.rgb.reserve(static_cast<std::size_t>(attributes.width) * static_cast<std::size_t>(attributes.height) * 3);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const auto red = static_cast<unsigned char>((pixel & image->red_mask) >> 16);
            const auto green = static_cast<unsigned char>((pixel & image->green_mask) >> 8);
            const auto blue = static_cast<unsigned char>(pixel & image->blue_mask);
            shot.lit += red + green + blue > 0 ? 1 : 0;
            shot.white += red > 200 && green > 200 && blue > 200 ? 1 : 0;
            shot.rgb.insert(shot.rgb.end(), {red, green, blue});
        }
    }
    XDestroyImage(image);
    return true;
}

// With --wait, looks every few milliseconds until the window exists and
// shows more than a hundred lit pixels (up to 30 s), so that a script can
// time how long the game takes to show its first frame without a process
// of its own per look.
bool waitForPicture(Display* display, const std::string& title, Shot& shot)
{
    // The window may go away between finding and reading it; that is no error here.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    for (int attempt = 0; attempt < 10000; ++attempt) {
        const Window window = findWindow(display, DefaultRootWindow(display), title);
        if (window != 0 && takeShot(display, window, shot) && shot.lit > 100) {
            return true;
        }
        usleep(3000);
    }
    return false;
}

}

int main(int argc, char** argv)
{
    const bool wait = argc > 1 && std::strcmp(argv[1], "--wait") == 0;
    if (wait) {
        --argc;
        ++argv;
    }
    if (argc < 2 || (wait && argc < 3)) {
        std::fprintf(stderr, "usage: screenshot [--wait] OUTPUT.png [WINDOW-TITLE-PREFIX]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "screenshot: no X display\n");
        return 1;
    }
    Shot shot;
    if (wait) {
        if (!waitForPicture(display, argv[2], shot)) {
            std::fprintf(stderr, "screenshot: no picture in a window titled %s\n", argv[2]);
            return 1;
        }
    } else {
        Window window = DefaultRootWindow(display);
        if (argc > 2) {
            window = findWindow(display, window, argv[2]);
            if (window == 0) {
                std::fprintf(stderr, "screenshot: no window titled %s\n", argv[2]);
                return 1;
            }
        }
        if (!takeShot(display, window, shot)) {
            std::fprintf(stderr, "screenshot: could not read the window\n");
            return 1;
        }
    }
    XCloseDisplay(display);
    const int written = stbi_write_png(argv[1], shot.width, shot.height, 3, shot.rgb.data(), shot.width * 3);
    std::printf("%ld %ld\n", shot.lit, shot.white);
    return written != 0 ? 0 : 1;
}
