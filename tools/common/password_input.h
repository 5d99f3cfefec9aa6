// Where a command-line tool takes its log-in password from, so that nobody
// has to type it where `ps` and the shell history show it.
#pragma once

#include <optional>
#include <string>

namespace tool_input {

struct PasswordSources {
    std::optional<std::string> flag; // --password, when given
    std::string file;                // --password-file, empty when not given
    std::string fallback;            // the factory default
};

// The password from the first source present: the flag; the first line of
// the file (trailing CR and LF removed); $TOLVANE_PASSWORD when set and not
// empty; a prompt without echo when standard input is a terminal (Enter alone
// keeps the fallback); else the fallback. Nothing, with `error` set, when the
// file cannot be read.
std::optional<std::string> ResolvePassword(const PasswordSources& sources, std::string* error);

// Help texts of --password and --password-file, in the language of the run.
std::string PasswordFlagHelp();
std::string PasswordFileHelp();

// Empty when user name and password may be sent; otherwise why not.
std::string CredentialProblem(const std::string& user, const std::string& password);

} // namespace tool_input
