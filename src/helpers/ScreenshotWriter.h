#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace Orbivane::Helpers {

// Saves pictures of the window as PNG files in the folder "screenshots" of
// the working directory, which is made when missing. A shot never replaces an
// earlier file. The console names the file, or says why no shot could be
// written; the game goes on either way.
//
// The pixels are read in the frame that takes the shot. Encoding and writing
// them takes longer than a frame at large sizes, so that happens on a thread
// of the writer's own, one shot after another, while the game goes on.
// Destroying the writer waits for the shots still being written.
class ScreenshotWriter {
public:
    ScreenshotWriter() = default;
    ~ScreenshotWriter();
    ScreenshotWriter(const ScreenshotWriter&) = delete;
    ScreenshotWriter& operator=(const ScreenshotWriter&) = delete;

    // Reads the back buffer of the current context, width x height pixels.
    void take(int width, int height);
    // Waits until every shot taken so far is written.
    void finish();

    struct Shot {
        std::vector<unsigned char> rows; // bottom row first, each padded to four bytes
        int width;
        int height;
    };

private:
    void writeShots();

    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<Shot> m_Waiting;
    bool m_Writing = false;
    bool m_Closing = false;
    std::thread m_Thread;
};

}
