#include "support/GameProcess.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace OrbivaneTest {

namespace {

using Clock = std::chrono::steady_clock;
using Display = std::unique_ptr<::Display, decltype(&XCloseDisplay)>;

// Windows come and go while the tree is walked (the game's probe window,
// the last game's window closing): a request about one that went away after
// it was listed fails with BadWindow, which Xlib's default handler turns into
// an exit of the whole test. Such a window is simply not the one sought.
XErrorHandler g_HandlerOutsideSearch = nullptr;

int ignoreVanishedWindows(::Display* display, XErrorEvent* error)
{
    return error->error_code == BadWindow ? 0 : g_HandlerOutsideSearch(display, error);
}

std::optional<unsigned long> findWindow(::Display* display, ::Window root, const std::string& title)
{
    char* name = nullptr;
    const bool match = XFetchName(display, root, &name) != 0 && name != nullptr && title == name;
    XFree(name);
    if (match) {
        return root;
    }
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::optional<unsigned long> found;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            found = findWindow(display, children[i], title);
        }
        XFree(children);
    }
    return found;
}

std::string readAll(const std::filesystem::path& file)
{
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

}

GameProcess::GameProcess(const std::filesystem::path& workDir, const std::map<std::string, std::string>& environment,
                         std::vector<std::string> command)
    : m_OutputFile(workDir / "console.txt")
{
    // Xvfb resets, refusing connections, whenever its last client leaves; a
    // connection held from before the game starts until it has ended keeps
    // the game's own connection out of that window.
    for (int attempt = 0; attempt < 20 && (m_XConnection = XOpenDisplay(nullptr)) == nullptr; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_Pid = fork();
    if (m_Pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_Pid == 0) {
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(open(m_OutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        // Audio libraries may complain about missing sound cards on standard
        // error; the game's own console output is standard output alone.
        dup2(open((m_OutputFile.string() + ".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        if (chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : environment) {
            value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv(command.size() + 1, nullptr);
        std::transform(command.begin(), command.end(), argv.begin(), [](std::string& argument) { return argument.data(); });
        execv(argv[0], argv.data());
        _exit(127);
    }
}

GameProcess::~GameProcess()
{
    // Asked first, so that a server the test started can clean up after itself.
    if (m_Pid > 0 && kill(m_Pid, SIGTERM) == 0 && !waitForExit(std::chrono::seconds(5))) {
        kill(m_Pid, SIGKILL);
        waitpid(m_Pid, nullptr, 0);
    }
    if (m_XConnection != nullptr) {
        XCloseDisplay(m_XConnection);
    }
}

std::optional<WindowInfo> GameProcess::waitForWindow(const std::string& title, std::chrono::seconds timeout) const
{
    const Display display(XOpenDisplay(nullptr), &XCloseDisplay);
    g_HandlerOutsideSearch = XSetErrorHandler(&ignoreVanishedWindows);
    std::optional<WindowInfo> found;
    for (const auto deadline = Clock::now() + timeout; display && !found && Clock::now() < deadline;) {
        const auto window = findWindow(display.get(), DefaultRootWindow(display.get()), title);
        XWindowAttributes attributes{};
        if (window && XGetWindowAttributes(display.get(), *window, &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            found = WindowInfo{*window, attributes.width, attributes.height};
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    XSetErrorHandler(g_HandlerOutsideSearch);
    return found;
}

void GameProcess::requestClose(const WindowInfo& window) const
{
    const Display display(XOpenDisplay(nullptr), &XCloseDisplay);
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
    for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;) {
        int status = 0;
        if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
            m_Pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

std::string GameProcess::output() const
{
    return readAll(m_OutputFile);
}

std::string GameProcess::errors() const
{
    return readAll(m_OutputFile.string() + ".stderr");
}

bool eventually(const std::function<bool()>& condition, std::chrono::seconds timeout)
{
    for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

}
