// Paths travel through the system as UTF-8 text. These turn such a text into
// a path the platform opens (wide characters on Windows, where the narrow
// calls would take the ANSI code page) and back, and do the little file work
// that differs between platforms.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path OSA_pathFromUtf8(const std::string& text);
std::string OSA_pathToUtf8(const std::filesystem::path& path);

// std::fopen for a file named by UTF-8 text; errno tells why on failure.
std::FILE* OSA_fileOpen(const std::string& utf8Path, const char* mode);

// The running program's executable file; empty when the platform cannot tell.
std::filesystem::path OSA_selfExecutable();

// Appends one line (or several) at the end of the file, creating it if
// missing, so that it stays a line of its own whatever happened before: when
// the file does not end with '\n' (a writer cut off, a full disk) `lineBreak`
// goes first. The bytes land whole or not at all: a write that fails part way
// is cut back off. Other processes appending through here at the same time
// wait (a bounded wait) rather than interleave. False when not every byte
// was written, with errno telling why.
bool OSA_fileAppendLine(const std::string& utf8Path, const std::string& bytes,
                        const char* lineBreak);

// Holds a lock on the file (created if missing) against every other holder,
// in this process or another, until OSA_fileReleaseLock; the system lets go
// of it when the process ends, however it ends. Does not wait. False when
// it cannot be had, errno EBUSY when another holder has it.
bool OSA_fileHoldLock(const std::string& utf8Path, intptr_t* held);
void OSA_fileReleaseLock(intptr_t held);
