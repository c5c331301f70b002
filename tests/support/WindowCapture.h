#pragma once

#include <vector>

namespace OrbivaneTest {

// What a window shows on the test's X display, as rows of RGB bytes from the
// top-left corner, read the way a screenshot would be.
struct WindowImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

WindowImage captureWindow(unsigned long window);

}
