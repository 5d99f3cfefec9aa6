// Paths travel through the system as UTF-8 text. These turn such a text into
// a path the platform opens (wide characters on Windows, where the narrow
// calls would take the ANSI code page) and back, and do the little file work
// that differs between platforms.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path OSA_pathFromUtf8(const std::string& text);
std::string OSA_pathToUtf8(const std::filesystem::path& path);

// std::fopen for a file named by UTF-8 text; errno tells why on failure.
std::FILE* OSA_fileOpen(const std::string& utf8Path, const char* mode);

// The running program's executable file; empty when the platform cannot tell.
std::filesystem::path OSA_selfExecutable();

// Appends the bytes at the end of the file, creating it if missing, in one
// write that appenders in other processes cannot split. While it is open no
// other opener gets the file where the platform can shut them out (Windows).
// True when every byte was written.
bool OSA_fileAppend(const std::string& utf8Path, const std::string& bytes);
