#pragma once

#include <GL/glew.h>

#include <map>
#include <string>

namespace Orbivane::Helpers {

// Builds every GLSL program from "shader\" files, once per base name.
class ShaderManager {
public:
    static ShaderManager& instance();

    GLuint getProgram(const std::string& name);
    GLuint createProgram(const std::string& name);
    GLuint loadShader(const std::string& fileName, GLenum type);
    static std::string readFile(const std::string& path);
    static void checkCompileStatus(GLuint shader);
    static void checkLinkStatus(GLuint program);

    GLuint createProgramObject();
    void attachShader(GLuint program, GLuint shader);
    void linkProgram(GLuint program);
    void deleteShader(GLuint shader);

private:
    ShaderManager() = default;

    std::map<std::string, GLuint> m_Programs;
};

}
