#include "App.h"
#include "helpers/ExceptionWithMsg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// Keeps the console readable after a fatal error when a person started the
// game from a terminal; scripts and tests must never hang here.
void waitForKey()
{
    std::cout.flush();
    if (isatty(STDIN_FILENO)) {
        std::getchar();
    }
}

// The two questions a packager's tools and a curious player ask the command.
// Answered before anything else, so they need neither a display nor the
// game's files. Any other argument is ignored, and the game starts.
constexpr std::string_view kHelp =
    "Usage: orbivane [--help | --version]\n"
    "\n"
    "Orbivane is a 3D space game: fly a ship through a field of asteroids that a\n"
    "black hole swallows, shoot them to refill your life, and complete three\n"
    "missions. Without these options it opens the game's window.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Settings are read from Orbivane.ini in the folder the game runs in: for the\n"
    "installed game, $XDG_DATA_HOME/orbivane or else ~/.local/share/orbivane.\n"
    "The controls and every setting are described in the manual page orbivane(6).\n";

// A failed write (to a full disk, say) shows in the exit status, so that a
// script asking for the version does not take an empty answer for one.
int printAnswer(std::string_view answer)
{
    std::cout << answer << std::flush;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return 0;
    }
    std::cerr << "orbivane: could not write the answer: " << std::strerror(errno) << "\n";
    return 1;
}

// The exit status once --help or --version was answered, or nothing when the
// game is to start.
std::optional<int> answerCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            return printAnswer(kHelp);
        }
        if (argument == "--version") {
            return printAnswer(std::string("orbivane ") + ORBIVANE_VERSION + "\n");
        }
    }
    return std::nullopt;
}

}

int main(int argc, char** argv)
{
    // A console read through a pipe or a file keeps up with the game, and a
    // crash loses no line already printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (const std::optional<int> status = answerCommandLine(argc, argv)) {
        return *status;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    try {
        Orbivane::App app;
        app.run();
    } catch (Orbivane::Helpers::ExceptionWithMsg& e) {
        std::cout << "Exception message: " << e.m_Message << "\n";
        waitForKey();
        return -1;
    } catch (std::exception& e) {
        std::cout << e.what();
        waitForKey();
        return -1;
    } catch (...) {
        std::cout << "Exception: unknown exception. Always use ExceptionWithMsg or std::exception to get more "
                     "information.";
        waitForKey();
        return -1;
    }
    return 0;
}
