#include "App.h"
#include "helpers/ExceptionWithMsg.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <iostream>

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

}

int main()
{
    // A console read through a pipe or a file keeps up with the game, and a
    // crash loses no line already printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
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
