#include "support/XTestInput.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace OrbivaneTest {

namespace {

std::uint8_t channel(unsigned long pixel, unsigned long mask)
{
    const int shift = mask == 0 ? 0 : __builtin_ctzl(mask);
    return mask == 0 ? 0 : static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

}

int WindowImage::countBrighterThan(int level, int x0, int y0, int x1, int y1) const
{
    return countWhere(x0, y0, x1, y1, [level](const std::uint8_t* pixel) {
        return pixel[0] > level && pixel[1] > level && pixel[2] > level;
    });
}

int WindowImage::countWhite(int x0, int y0, int x1, int y1) const
{
    return countWhere(x0, y0, x1, y1, [](const std::uint8_t* pixel) {
        const auto [darkest, brightest] = std::minmax({pixel[0], pixel[1], pixel[2]});
        return darkest > 200 && brightest - darkest <= 24;
    });
}

int WindowImage::countWhere(int x0, int y0, int x1, int y1, const std::function<bool(const std::uint8_t*)>& test) const
{
    int count = 0;
    for (int y = std::max(y0, 0); y < y1 && y < height; ++y) {
        for (int x = std::max(x0, 0); x < x1 && x < width; ++x) {
            count += test(&rgb[(static_cast<std::size_t>(y) * width + x) * 3]) ? 1 : 0;
        }
    }
    return count;
}

XTestInput::XTestInput() : m_Display(XOpenDisplay(nullptr))
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (m_Display == nullptr) {
        throw std::runtime_error("no X display; run the tests under xvfb-run");
    }
    if (XTestQueryExtension(m_Display, &eventBase, &errorBase, &major, &minor) == False) {
        XCloseDisplay(m_Display);
        throw std::runtime_error("the X server has no XTEST extension");
    }
}

XTestInput::~XTestInput()
{
    releaseAll();
    XCloseDisplay(m_Display);
}

void XTestInput::focus(unsigned long window) const
{
    XRaiseWindow(m_Display, window);
    XSetInputFocus(m_Display, window, RevertToParent, CurrentTime);
    sync();
}

void XTestInput::unfocus() const
{
    XSetInputFocus(m_Display, None, RevertToNone, CurrentTime);
    sync();
}

void XTestInput::tap(unsigned long keySym)
{
    press(keySym);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    release(keySym);
}

void XTestInput::press(unsigned long keySym)
{
    // Toolkits drop a press that carries the same server time (in ms) as the
    // key's previous press, taking it for an input method's duplicate.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    XTestFakeKeyEvent(m_Display, XKeysymToKeycode(m_Display, keySym), True, CurrentTime);
    m_Held.insert(keySym);
    sync();
}

void XTestInput::release(unsigned long keySym)
{
    XTestFakeKeyEvent(m_Display, XKeysymToKeycode(m_Display, keySym), False, CurrentTime);
    m_Held.erase(keySym);
    sync();
}

void XTestInput::releaseAll()
{
    while (!m_Held.empty()) {
        release(*m_Held.begin());
    }
}

void XTestInput::moveTo(unsigned long window, int x, int y) const
{
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates(m_Display, window, DefaultRootWindow(m_Display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(m_Display, DefaultScreen(m_Display), rootX, rootY, CurrentTime);
    sync();
}

void XTestInput::moveBy(int dx, int dy) const
{
    XTestFakeRelativeMotionEvent(m_Display, dx, dy, CurrentTime);
    sync();
}

void XTestInput::place(unsigned long window, int x, int y, int width, int height) const
{
    XMoveResizeWindow(m_Display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    sync();
}

std::pair<int, int> XTestInput::position(unsigned long window) const
{
    std::pair<int, int> corner;
    ::Window child = 0;
    XTranslateCoordinates(m_Display, window, DefaultRootWindow(m_Display), 0, 0, &corner.first, &corner.second, &child);
    return corner;
}

void XTestInput::sync() const
{
    XSync(m_Display, False);
}

std::string XTestInput::title(unsigned long window) const
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(m_Display, window, XInternAtom(m_Display, "_NET_WM_NAME", False), 0, 4096, False,
                           XInternAtom(m_Display, "UTF8_STRING", False), &type, &format, &count, &remaining,
                           &data) == Success && data != nullptr) {
        title.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return title;
}

WindowImage XTestInput::grab(unsigned long window) const
{
    XWindowAttributes attributes{};
    XImage* pixels = XGetWindowAttributes(m_Display, window, &attributes) == 0 ? nullptr
        : XGetImage(m_Display, window, 0, 0, static_cast<unsigned>(attributes.width),
                    static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (pixels == nullptr) {
        return {};
    }
    WindowImage image{attributes.width, attributes.height, {}};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const unsigned long pixel = XGetPixel(pixels, x, y);
            for (const unsigned long mask : {pixels->red_mask, pixels->green_mask, pixels->blue_mask}) {
                image.rgb.push_back(channel(pixel, mask));
            }
        }
    }
    XDestroyImage(pixels);
    return image;
}

}
