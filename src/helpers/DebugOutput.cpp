#include "helpers/DebugOutput.h"

#include <cstdio>
#include <iostream>
#include <string>

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

bool hasExtension(const std::string& name)
{
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint index = 0; index < count; ++index) {
        if (name == reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(index)))) {
            return true;
        }
    }
    // Contexts older than 3.0 list their extensions in one string.
    const auto* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return count == 0 && all != nullptr && (" " + std::string(all) + " ").find(" " + name + " ") != std::string::npos;
}

bool versionAtLeast(int major, int minor)
{
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int contextMajor = 0, contextMinor = 0;
    return version != nullptr && std::sscanf(version, "%d.%d", &contextMajor, &contextMinor) == 2 &&
        (contextMajor > major || (contextMajor == major && contextMinor >= minor));
}

enum class DebugEntryPoints { None, Core, Arb };

// Decided from what the context reports: GLEW resolves every entry point
// by name whether the driver implements it or not.
DebugEntryPoints debugEntryPoints()
{
    if (versionAtLeast(4, 3) || hasExtension("GL_KHR_debug")) {
        return DebugEntryPoints::Core;
    }
    return hasExtension("GL_ARB_debug_output") ? DebugEntryPoints::Arb : DebugEntryPoints::None;
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
    switch (debugEntryPoints()) {
    case DebugEntryPoints::Core:
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(debugMessageCallback, nullptr);
        glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
        break;
    case DebugEntryPoints::Arb:
        // The older extension has no switch of its own: a debug context reports.
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS_ARB);
        glDebugMessageCallbackARB(debugMessageCallback, nullptr);
        glDebugMessageControlARB(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
        break;
    case DebugEntryPoints::None:
        std::cout << "Debug output not supported by this context\n";
        break;
    }
}

}
