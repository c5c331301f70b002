#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

namespace OrbivaneTest {

// What a window shows, as RGB bytes, rows from the top.
struct WindowImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;

    // Pixels in [x0, x1) x [y0, y1) whose every channel exceeds `level`.
    int countBrighterThan(int level, int x0, int y0, int x1, int y1) const;
    // Pixels in [x0, x1) x [y0, y1) that look like white text: every channel
    // above 200 and all three within 24 of each other, which no coloured sun,
    // glow or flame is.
    int countWhite(int x0, int y0, int x1, int y1) const;
    // Pixels in [x0, x1) x [y0, y1) for which `test` holds, given their RGB bytes.
    int countWhere(int x0, int y0, int x1, int y1, const std::function<bool(const std::uint8_t*)>& test) const;
};

// Keyboard and mouse input injected through the X server's test extension, so
// that it reaches a window (ours or another process's) exactly as a person's
// typing and mouse movement would. Window ids are X11 window ids.
class XTestInput {
public:
    XTestInput();
    // Lets go of every key still held, so a failed test leaves no key down.
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    // Raises the window and gives it the keyboard.
    void focus(unsigned long window) const;
    // Takes the keyboard away from every window.
    void unfocus() const;
    // Key symbols as in <X11/keysym.h>, e.g. XK_space.
    void press(unsigned long keySym);
    void release(unsigned long keySym);
    void releaseAll();
    // A short press, as a player taps a key.
    void tap(unsigned long keySym);
    // The pointer to a position relative to the window's top-left corner.
    void moveTo(unsigned long window, int x, int y) const;
    void moveBy(int dx, int dy) const;
    // Places and sizes the window as a window manager would for a player dragging it.
    void place(unsigned long window, int x, int y, int width, int height) const;
    // The window's top-left corner on the screen.
    std::pair<int, int> position(unsigned long window) const;
    // Waits until the server has carried out every request sent so far.
    void sync() const;
    // The window's title as the window manager reads it (UTF-8).
    std::string title(unsigned long window) const;
    WindowImage grab(unsigned long window) const;

private:
    _XDisplay* m_Display;
    std::set<unsigned long> m_Held;
};

}
