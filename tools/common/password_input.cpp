#include "password_input.h"

#include "sdk/credential_text.h"
#include "tool_text.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
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

std::optional<std::string> FirstLineOf(const std::string& path, std::string* error) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) {
        // An empty file or a folder is as wrong as a missing file.
        const int failure = errno;
        *error = tool_text::Fill(
            failure != 0
                ? tool_text::translate("tool", "cannot read password file %1: %2")
                : tool_text::translate("tool", "cannot read password file %1: no line in it"),
            {path, failure != 0 ? std::strerror(failure) : ""});
        return std::nullopt;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    return line;
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
    std::string line;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0) {
        std::cerr << tool_text::translate("tool", "Password (Enter keeps the default): ")
                  << std::flush;
        std::getline(std::cin, line);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    }
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i) {
        sigaction(kPromptSignals[i], &previous[i], nullptr);
    }
    while (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

} // namespace

std::optional<std::string> ResolvePassword(const PasswordSources& sources, std::string* error) {
    if (sources.flag) {
        return sources.flag;
    }
    if (!sources.file.empty()) {
        return FirstLineOf(sources.file, error);
    }
    if (const char* env = std::getenv("TOLVANE_PASSWORD"); env != nullptr && *env != '\0') {
        return std::string(env);
    }
    if (isatty(STDIN_FILENO) == 1) {
        if (std::optional<std::string> typed = PromptWithoutEcho()) {
            return typed;
        }
    }
    return sources.fallback;
}

std::string CredentialProblem(const std::string& user, const std::string& password) {
    if (lpr::HasControlCharacter(user) || lpr::HasControlCharacter(password)) {
        return tool_text::translate(
            "tool", "user name or password contains a control character (such as CR, LF or NUL)");
    }
    return {};
}

std::string PasswordFlagHelp() {
    return tool_text::translate(
        "tool", "log-in password; visible to other users of this computer (ps) and kept in the "
                "shell history: prefer --password-file or TOLVANE_PASSWORD");
}

std::string PasswordFileHelp() {
    return tool_text::translate("tool", "read the log-in password from the first line of FILE");
}

} // namespace tool_input
