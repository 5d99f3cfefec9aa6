// The prompt on a Windows console: echo off through the console mode.
#include "osa/osa_wide_text.h"
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

std::string ReadTypedLine() {
    // The console's own wide reading: its byte reading would hand over the
    // input code page, not UTF-8, and drop what that page cannot hold.
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line;
    wchar_t piece[256];
    DWORD read = 0;
    // A password longer than 4096 characters is no password: stop there.
    while (line.size() < 4096 && ReadConsoleW(input, piece, 256, &read, nullptr) && read > 0) {
        line.append(piece, read);
        if (line.back() == L'\n') {
            break;
        }
    }
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) {
        line.pop_back();
    }
    return OSA_utf8FromWide(line);
}

} // namespace tool_input
