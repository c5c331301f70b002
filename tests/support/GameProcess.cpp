#include "support/GameProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace OrbivaneTest {

namespace {

using Clock = std::chrono::steady_clock;

class Display {
public:
    Display() : m_Display(XOpenDisplay(nullptr)) {}
    ~Display()
    {
        if (m_Display != nullptr) {
            XCloseDisplay(m_Display);
        }
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    ::Display* get() const { return m_Display; }

private:
    ::Display* m_Display;
};

std::optional<unsigned long> findWindow(::Display* display, ::Window root, const std::string& title)
{
    char* name = nullptr;
    if (XFetchName(display, root, &name) != 0 && name != nullptr) {
        const bool match = title == name;
        XFree(name);
        if (match) {
            return root;
        }
    }
    ::Window rootReturn = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) == 0) {
        return std::nullopt;
    }
    std::optional<unsigned long> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        found = findWindow(display, children[i], title);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

}

GameProcess::GameProcess(const std::filesystem::path& workDir, const std::map<std::string, std::string>& environment,
                         std::vector<std::string> command)
    : m_OutputFile(workDir / "console.txt")
{
    // Xvfb resets, refusing connections, whenever its last client leaves; a
    // connection held from before the game starts until it has ended keeps
    // the game's own connection out of that window.
    for (int attempt = 0; attempt < 20 && m_XConnection == nullptr; ++attempt) {
        m_XConnection = XOpenDisplay(nullptr);
        if (m_XConnection == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    m_Pid = fork();
    if (m_Pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_Pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(m_OutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // Audio libraries may complain about missing sound cards on standard
        // error; the game's own console output is standard output alone.
        const int errors = open((m_OutputFile.string() + ".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        if (chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : environment) {
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        std::vector<char*> argv;
        for (std::string& argument : command) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

GameProcess::~GameProcess()
{
    if (m_Pid > 0) {
        kill(m_Pid, SIGKILL);
        waitpid(m_Pid, nullptr, 0);
    }
    if (m_XConnection != nullptr) {
        XCloseDisplay(m_XConnection);
    }
}

std::optional<WindowInfo> GameProcess::waitForWindow(const std::string& title, std::chrono::seconds timeout) const
{
    const Display display;
    if (display.get() == nullptr) {
        return std::nullopt;
    }
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        const auto window = findWindow(display.get(), DefaultRootWindow(display.get()), title);
        XWindowAttributes attributes{};
        if (window && XGetWindowAttributes(display.get(), *window, &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            return WindowInfo{*window, attributes.width, attributes.height};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

void GameProcess::requestClose(const WindowInfo& window) const
{
    const Display display;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.id;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display.get(), window.id, False, NoEventMask, &event);
    XFlush(display.get());
}

std::optional<int> GameProcess::waitForExit(std::chrono::seconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
            m_Pid = -1;
            if (WIFEXITED(status)) {
                return WEXITSTATUS(status);
            }
            return 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

std::string GameProcess::output() const
{
    std::ifstream in(m_OutputFile);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}
