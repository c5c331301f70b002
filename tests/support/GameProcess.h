#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

struct _XDisplay;

namespace OrbivaneTest {

struct WindowInfo {
    unsigned long id = 0;
    int width = 0, height = 0;
};

// Runs the built game (or another command) as a separate process in a given
// working directory, with standard input closed and standard output captured,
// as a script or CI would start it. An empty value unsets a variable.
class GameProcess {
public:
    GameProcess(const std::filesystem::path& workDir, const std::map<std::string, std::string>& environment = {},
                std::vector<std::string> command = {ORBIVANE_EXECUTABLE});
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Waits for the game's window to be mapped on the test's X display.
    std::optional<WindowInfo> waitForWindow(const std::string& title, std::chrono::seconds timeout) const;
    // Asks the window to close the way a window manager's close button does.
    void requestClose(const WindowInfo& window) const;
    // The exit status (0..255), or nothing if the game did not end in time (it is then killed).
    std::optional<int> waitForExit(std::chrono::seconds timeout);
    std::string output() const;
    // What the game wrote to standard error.
    std::string errors() const;

private:
    pid_t m_Pid = -1;
    _XDisplay* m_XConnection = nullptr;
    std::filesystem::path m_OutputFile;
};

// Whether `condition` holds within `timeout`, tested every 50 ms.
bool eventually(const std::function<bool()>& condition, std::chrono::seconds timeout);

}
