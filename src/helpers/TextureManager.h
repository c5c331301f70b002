#pragma once

#include <GL/glew.h>

#include <map>
#include <string>

namespace Orbivane::Helpers {

// 2D textures cached by path, and the sampling mode that F4/F5 switch:
// 0 linear, 1 nearest, 2 nearest mipmap, 3 trilinear.
class TextureManager {
public:
    static TextureManager& instance();

    GLuint loadTexture(const std::string& path);
    int sampleMode() const;
    void setSampleMode(int mode);

private:
    TextureManager() = default;

    std::map<std::string, GLuint> m_Textures;
    int m_SampleMode = 0;
};

// A new cube map from six images; directory ends with its separator.
GLuint loadCubemap(const std::string& directory, const std::string& right, const std::string& left,
                   const std::string& top, const std::string& bottom, const std::string& back,
                   const std::string& front);

}
