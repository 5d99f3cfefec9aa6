// What the system hands a program as text, its arguments and its
// environment, as UTF-8 on every platform. Windows gives a narrow main and
// getenv the ANSI code page, which turns C:\Users\张伟 into "C:\Users\??"
// (or into GBK bytes); there both are read again in UTF-16.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The program's arguments, the program itself first.
std::vector<std::string> OSA_commandLineUtf8(int argc, char** argv);

// The variable's value; nothing when it is not set.
std::optional<std::string> OSA_environmentUtf8(const char* name);
