#pragma once

#include <GL/glew.h>

namespace Orbivane::Helpers {

// Prints one OpenGL debug message as a framed block on the console.
void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                                     const GLchar* message, const void* userParam);

}
