#include "rendering/FramebufferDump.h"

#include "helpers/FilePath.h"

#include <GL/glew.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

namespace Orbivane::Rendering {

namespace {

void putLittleEndian(unsigned char* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        at[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}

void saveFramebufferBMP(int width, int height, std::string fileName)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    const std::size_t pixelBytes = 4u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::unique_ptr<unsigned char[]> pixels(new (std::nothrow) unsigned char[pixelBytes]);
    if (!pixels) {
        return;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.get());

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(Helpers::nativePath(fileName).c_str(), "wb"));
    if (!file) {
        return;
    }
    unsigned char fileHeader[14] = {'B', 'M'};
    putLittleEndian(fileHeader + 2, static_cast<std::uint32_t>(54 + pixelBytes), 4);
    putLittleEndian(fileHeader + 10, 54, 4);
    unsigned char infoHeader[40] = {};
    putLittleEndian(infoHeader, 40, 4);
    putLittleEndian(infoHeader + 4, static_cast<std::uint32_t>(width), 4);
    putLittleEndian(infoHeader + 8, static_cast<std::uint32_t>(height), 4);
    putLittleEndian(infoHeader + 12, 1, 2);
    putLittleEndian(infoHeader + 14, 32, 2);
    std::fwrite(fileHeader, sizeof(fileHeader), 1, file.get());
    std::fwrite(infoHeader, sizeof(infoHeader), 1, file.get());
    std::fwrite(pixels.get(), pixelBytes, 1, file.get());
}

}
