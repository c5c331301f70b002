#include "helpers/DebugOutput.h"

#include <cstdio>
#include <iostream>

namespace Orbivane::Helpers {

namespace {

const char* sourceName(GLenum source)
{
    switch (source) {
    case GL_DEBUG_SOURCE_API: return "API";
    case GL_DEBUG_SOURCE_WINDOW_SYSTEM: return "Window System";
    case GL_DEBUG_SOURCE_SHADER_COMPILER: return "Shader Compiler";
    case GL_DEBUG_SOURCE_THIRD_PARTY: return "Third Party";
    case GL_DEBUG_SOURCE_APPLICATION: return "Application";
    case GL_DEBUG_SOURCE_OTHER: return "Other";
    default: return "";
    }
}

const char* typeName(GLenum type)
{
    switch (type) {
    case GL_DEBUG_TYPE_ERROR: return "Error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR: return "Deprecated Behaviour";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR: return "Undefined Behaviour";
    case GL_DEBUG_TYPE_PORTABILITY: return "Portability";
    case GL_DEBUG_TYPE_PERFORMANCE: return "Performance";
    case GL_DEBUG_TYPE_OTHER: return "Other";
    case GL_DEBUG_TYPE_MARKER: return "Marker";
    case GL_DEBUG_TYPE_PUSH_GROUP: return "Push Group";
    case GL_DEBUG_TYPE_POP_GROUP: return "Pop Group";
    default: return "";
    }
}

const char* severityName(GLenum severity)
{
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH: return "High";
    case GL_DEBUG_SEVERITY_MEDIUM: return "Medium";
    case GL_DEBUG_SEVERITY_LOW: return "Low";
    case GL_DEBUG_SEVERITY_NOTIFICATION: return "Notification";
    default: return "";
    }
}

// Identifiers that drivers report constantly and that say nothing useful
// (buffer placement, texture state notes and the like).
bool isNoise(GLuint id)
{
    return id == 131076 || id == 131154 || id == 131169 || id == 131185;
}

}

void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei,
                                     const GLchar* message, const void*)
{
    if (isNoise(id)) {
        return;
    }
    std::printf("\n*********OpenGL Debug Begin****************\n");
    std::printf("ID: %d\n", static_cast<int>(id));
    std::printf("Message: %s\n", message);
    std::printf("Source: %s\n", sourceName(source));
    std::printf("Type: %s\n", typeName(type));
    std::printf("Severity: %s", severityName(severity));
    std::printf("\n*********OpenGL Debug End****************\n");
    std::printf("\n\n");
}

void enableDebugOutput()
{
    std::cout << "Debug output enabled. Disable via INI setting: GLDebugMessages\n";
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    if ((flags & GL_CONTEXT_FLAG_DEBUG_BIT) != 0) {
        std::cout << "Debug Output available!\n";
    }
    if (glDebugMessageCallback == nullptr || glDebugMessageControl == nullptr) {
        std::cout << "Debug output not supported by this context\n";
        return;
    }
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(debugMessageCallback, nullptr);
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
}

}
