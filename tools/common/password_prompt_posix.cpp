// The prompt on a POSIX terminal: echo off through termios.
#include "password_prompt.h"

#include <csignal>
#include <iostream>
#include <iterator>
#include <termios.h>
#include <unistd.h>

namespace tool_input {
namespace {

// The terminal's settings while a prompt has echo off, so that a signal
// arriving meanwhile does not leave the operator's terminal silent.
termios g_savedTerminal{};

extern "C" void RestoreTerminalAndDie(int signalNumber) {
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    raise(signalNumber); // the handler was reset on entry: this ends the process
}

constexpr int kPromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

} // namespace

bool InputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

// Nothing when the terminal cannot be set or the operator typed nothing.
std::optional<std::string> PromptWithoutEcho() {
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
        return std::nullopt;
    }
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndDie;
    restore.sa_flags = SA_RESETHAND;
    struct sigaction previous[std::size(kPromptSignals)]{};
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i) {
        sigaction(kPromptSignals[i], &restore, &previous[i]);
    }
    termios quiet = g_savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    std::optional<std::string> line;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0) {
        line = AskPasswordLine();
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    }
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i) {
        sigaction(kPromptSignals[i], &previous[i], nullptr);
    }
    return line;
}

std::string ReadTypedLine() {
    std::string line;
    std::getline(std::cin, line);
    while (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

} // namespace tool_input
