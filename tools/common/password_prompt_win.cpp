// The prompt on a Windows console: echo off through the console mode.
#include "password_prompt.h"

#include <atomic>
#include <iostream>
#include <windows.h>

namespace tool_input {
namespace {

// The console's mode while a prompt has echo off, so that Ctrl+C or a
// closing window does not leave the operator's console silent.
std::atomic<DWORD> g_savedMode{0};

BOOL WINAPI RestoreConsole(DWORD) {
    SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), g_savedMode.load());
    return FALSE; // the default handler ends the process as before
}

} // namespace

bool InputIsTerminal() {
    // A console handle has a mode; a pipe, a file or NUL has none.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
}

std::optional<std::string> PromptWithoutEcho() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (!GetConsoleMode(input, &saved)) {
        return std::nullopt;
    }
    g_savedMode.store(saved);
    SetConsoleCtrlHandler(RestoreConsole, TRUE);
    std::optional<std::string> line;
    if (SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT))) {
        line = AskPasswordLine();
        std::cerr << '\n'; // the Enter key was not echoed either
        SetConsoleMode(input, saved);
    }
    SetConsoleCtrlHandler(RestoreConsole, FALSE);
    return line;
}

} // namespace tool_input
