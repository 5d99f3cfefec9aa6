// `tolvane-cli search`: the cameras of the network with their versions, read
// by the version worker as the window reads them.
#pragma once

#include "cli_output.h"

#include <chrono>
#include <optional>

// Searches for `seconds`, then waits (bounded) until the version worker has
// visited every camera found. Exit status 0.
int RunSearch(double seconds, std::optional<std::chrono::milliseconds> versionBound,
              CliOutput& output);
