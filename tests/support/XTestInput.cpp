#include "support/XTestInput.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace OrbivaneTest {

XTestInput::XTestInput() : m_Display(XOpenDisplay(nullptr))
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
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
    int rootX = 0;
    int rootY = 0;
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

void XTestInput::sync() const
{
    XSync(m_Display, False);
}

std::string XTestInput::title(unsigned long window) const
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const Atom name = XInternAtom(m_Display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_Display, "UTF8_STRING", False);
    std::string title;
    if (XGetWindowProperty(m_Display, window, name, 0, 4096, False, utf8, &type, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return title;
}

}
