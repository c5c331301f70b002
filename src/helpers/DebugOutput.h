#pragma once

#include <GL/glew.h>

namespace Orbivane::Helpers {

// Prints one OpenGL debug message as a framed block on the console.
// Asks the current context to report through debugMessageCallback, with
// every message enabled. A context without the debug-output entry points
// keeps running without it.
void enableDebugOutput();

void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                                     const GLchar* message, const void* userParam);

}
