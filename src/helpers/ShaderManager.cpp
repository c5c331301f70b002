#include "helpers/ShaderManager.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/FilePath.h"

#include <fstream>
#include <iostream>
#include <vector>

namespace Orbivane::Helpers {

namespace {

std::string infoLog(GLuint object, void (*getLog)(GLuint, GLsizei, GLsizei*, GLchar*), GLint logLength)
{
    std::vector<char> log(static_cast<size_t>(logLength) + 1, '\0');
    getLog(object, logLength, nullptr, log.data());
    return log.data();
}

}

ShaderManager& ShaderManager::instance()
{
    static ShaderManager manager;
    return manager;
}

GLuint ShaderManager::getProgram(const std::string& name)
{
    const auto cached = m_Programs.find(name);
    if (cached != m_Programs.end()) {
        return cached->second;
    }
    const GLuint program = createProgram(name);
    m_Programs[name] = program;
    return program;
}

GLuint ShaderManager::createProgram(const std::string& name)
{
    const GLuint vertexShader = loadShader(name + ".vertexShader.txt", GL_VERTEX_SHADER);
    const GLuint fragmentShader = loadShader(name + ".fragmentShader.txt", GL_FRAGMENT_SHADER);
    const GLuint program = createProgramObject();
    attachShader(program, vertexShader);
    attachShader(program, fragmentShader);
    linkProgram(program);
    checkLinkStatus(program);
    deleteShader(vertexShader);
    deleteShader(fragmentShader);
    return program;
}

GLuint ShaderManager::loadShader(const std::string& fileName, GLenum type)
{
    const std::string path = "shader\\" + fileName;
    const GLuint shader = glCreateShader(type);
    const std::string source = readFile(path);
    if (source.empty()) {
        throw ExceptionWithMsg("Could not open file: " + path);
    }
    std::cout << "Compiling shader: " << path << "\n";
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    checkCompileStatus(shader);
    return shader;
}

std::string ShaderManager::readFile(const std::string& path)
{
    std::ifstream file(nativePath(path));
    if (!file.is_open()) {
        return {};
    }
    std::string text;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        text += line;
        text += '\n';
    }
    return text;
}

void ShaderManager::checkCompileStatus(GLuint shader)
{
    GLint status = 0;
    GLint logLength = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &logLength);
    if (status == GL_TRUE) {
        return;
    }
    throw ExceptionWithMsg(infoLog(shader, glGetShaderInfoLog, logLength));
}

void ShaderManager::checkLinkStatus(GLuint program)
{
    GLint status = 0;
    GLint logLength = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &logLength);
    if (status == GL_TRUE) {
        return;
    }
    throw ExceptionWithMsg("Shader Linking Error: " + infoLog(program, glGetProgramInfoLog, logLength));
}

GLuint ShaderManager::createProgramObject()
{
    return glCreateProgram();
}

void ShaderManager::attachShader(GLuint program, GLuint shader)
{
    glAttachShader(program, shader);
}

void ShaderManager::linkProgram(GLuint program)
{
    std::cout << "Linking program: " << program << "\n";
    glLinkProgram(program);
}

void ShaderManager::deleteShader(GLuint shader)
{
    glDeleteShader(shader);
}

}
