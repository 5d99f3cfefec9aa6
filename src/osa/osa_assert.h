// Assertion reports of the task runtime and the task main functions.
#pragma once

#include <cstdio>

// Writes " ASSERT (file|function|line)\r\n" to the standard error stream.
// A window program has no console to wait on, so the caller then stops the
// failed operation instead of waiting for "q" on standard input.
void OSA_assertReport(const char* file, const char* function, int line);

#define OSA_ASSERT_REPORT(function) OSA_assertReport(__FILE__, (function), __LINE__)
