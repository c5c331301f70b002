#include "helpers/ScreenshotWriter.h"

#include <GL/glew.h>
#include <stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace Orbivane::Helpers {

namespace {

const char* const kFolder = "screenshots";
// Shots taken within one second are told apart by a number; past this many
// something else is wrong.
constexpr int kNamesPerSecond = 100;

// Rows come padded to the default pack alignment of four bytes.
std::size_t paddedRow(int width)
{
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

std::vector<unsigned char> readBackBuffer(int width, int height)
{
    std::vector<unsigned char> rows(paddedRow(width) * static_cast<std::size_t>(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    return rows;
}

// Rows from the top, as image files store them; GL reads them from the bottom.
std::vector<unsigned char> topRowFirst(const ScreenshotWriter::Shot& shot)
{
    const std::size_t row = static_cast<std::size_t>(shot.width) * 3;
    std::vector<unsigned char> pixels(row * static_cast<std::size_t>(shot.height));
    for (int y = 0; y < shot.height; ++y) {
        std::memcpy(pixels.data() + row * static_cast<std::size_t>(y),
                    shot.rows.data() + paddedRow(shot.width) * static_cast<std::size_t>(shot.height - 1 - y), row);
    }
    return pixels;
}

std::vector<unsigned char> encodePng(const std::vector<unsigned char>& pixels, int width, int height)
{
    std::vector<unsigned char> png;
    const auto append = [](void* context, void* data, int size) {
        auto* target = static_cast<std::vector<unsigned char>*>(context);
        const auto* bytes = static_cast<const unsigned char*>(data);
        target->insert(target->end(), bytes, bytes + size);
    };
    stbi_write_png_to_func(append, &png, width, height, 3, pixels.data(), width * 3);
    return png;
}

std::string timeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
    return text;
}

// Creates a file that did not exist before ("x": never opens an existing one)
// and writes `png` into it. Returns the file's name, or nothing with errno set.
std::string writeNewFile(const std::vector<unsigned char>& png)
{
    const std::string stem = std::string(kFolder) + "/orbivane_" + timeStamp();
    for (int number = 1; number <= kNamesPerSecond; ++number) {
        const std::string name = stem + (number == 1 ? "" : "_" + std::to_string(number)) + ".png";
        std::FILE* file = std::fopen(name.c_str(), "wbx");
        if (file == nullptr && errno == EEXIST) {
            continue;
        }
        if (file == nullptr) {
            return {};
        }
        const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
        if (std::fclose(file) != 0 || !written) {
            // A half-written picture is no picture.
            const int error = errno;
            std::remove(name.c_str());
            errno = error;
            return {};
        }
        return name;
    }
    return {};
}

void save(const ScreenshotWriter::Shot& shot)
{
    const std::vector<unsigned char> png = encodePng(topRowFirst(shot), shot.width, shot.height);
    std::error_code folderError;
    std::filesystem::create_directories(kFolder, folderError);
    errno = 0;
    const std::string name = png.empty() ? std::string() : writeNewFile(png);
    if (name.empty()) {
        const std::string reason = folderError ? folderError.message() : std::strerror(errno);
        std::cout << "Screenshot could not be saved in " + std::string(kFolder) + "/: " + reason + "\n";
        return;
    }
    // One piece, so that no line the game prints meanwhile lands inside it.
    std::cout << "Screenshot saved: " + name + "\n";
}

}

ScreenshotWriter::~ScreenshotWriter()
{
    {
        const std::lock_guard<std::mutex> lock(m_Mutex);
        m_Closing = true;
    }
    m_Changed.notify_all();
    if (m_Thread.joinable()) {
        m_Thread.join();
    }
}

void ScreenshotWriter::take(int width, int height)
{
    Shot shot{readBackBuffer(width, height), width, height};
    {
        const std::lock_guard<std::mutex> lock(m_Mutex);
        m_Waiting.push_back(std::move(shot));
    }
    m_Changed.notify_all();
    if (m_Thread.joinable()) {
        return;
    }
    try {
        m_Thread = std::thread(&ScreenshotWriter::writeShots, this);
    } catch (const std::system_error&) {
        // Without a thread of its own the shot is written here, late but whole.
        save(m_Waiting.back());
        m_Waiting.clear();
    }
}

void ScreenshotWriter::finish()
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_Changed.wait(lock, [this] { return m_Waiting.empty() && !m_Writing; });
}

void ScreenshotWriter::writeShots()
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock, [this] { return !m_Waiting.empty() || m_Closing; });
        if (m_Waiting.empty()) {
            return;
        }
        const Shot shot = std::move(m_Waiting.front());
        m_Waiting.pop_front();
        m_Writing = true;
        lock.unlock();
        save(shot);
        lock.lock();
        m_Writing = false;
        m_Changed.notify_all();
    }
}

}
