#pragma once

#include <GL/glew.h>

namespace Orbivane::Helpers {

// Prints one OpenGL debug message as a framed block on the console.
// Asks the current context to report through debugMessageCallback, with
// every message enabled. A context that offers no debug output (older than
// 4.3, without GL_KHR_debug or GL_ARB_debug_output) runs on without it and
// says so.
void enableDebugOutput();

void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                                     const GLchar* message, const void* userParam);

}
