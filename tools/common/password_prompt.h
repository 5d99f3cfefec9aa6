// The no-echo password prompt, one file per platform.
#pragma once

#include <optional>
#include <string>

namespace tool_input {

// Standard input is a terminal (a console on Windows) that a person types at.
bool InputIsTerminal();

// Nothing when the terminal cannot be set or the operator typed nothing.
std::optional<std::string> PromptWithoutEcho();

// Asks and reads one line, once the platform has turned echo off; nothing
// when the operator typed nothing.
std::optional<std::string> AskPasswordLine();

// One line typed at the terminal, as UTF-8, without its line end.
std::string ReadTypedLine();

} // namespace tool_input
