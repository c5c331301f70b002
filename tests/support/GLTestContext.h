#pragma once

struct GLFWwindow;

namespace OrbivaneTest {

// glfwInit, retried briefly while the X server is between clients.
void initGLFW();

// A hidden window with a current OpenGL context, created once per test process
// with the same hints the game uses. Tests run under Xvfb on Mesa's llvmpipe.
GLFWwindow* ensureGLContext();

}
