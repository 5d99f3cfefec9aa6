#include "password_input.h"

#include "osa/osa_path.h"
#include "osa/osa_process_text.h"
#include "password_prompt.h"
#include "sdk/credential_text.h"
#include "tool_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

namespace tool_input {
namespace {

std::optional<std::string> FirstLineOf(const std::string& path, std::string* error) {
    errno = 0;
    std::ifstream in(OSA_pathFromUtf8(path), std::ios::binary);
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

} // namespace

std::optional<std::string> ResolvePassword(const PasswordSources& sources, std::string* error) {
    if (sources.flag) {
        return sources.flag;
    }
    if (!sources.file.empty()) {
        return FirstLineOf(sources.file, error);
    }
    if (std::optional<std::string> env = OSA_environmentUtf8("TOLVANE_PASSWORD");
        env && !env->empty()) {
        return env;
    }
    if (InputIsTerminal()) {
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

std::optional<std::string> AskPasswordLine() {
    std::cerr << tool_text::translate("tool", "Password (Enter keeps the default): ") << std::flush;
    const std::string line = ReadTypedLine();
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

} // namespace tool_input
