// `tolvane-cli search`: the cameras of the network with their versions, read
// by the version worker as the window reads them.
#pragma once

#include "cli_output.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// Cameras beyond the broadcast domain: addresses probed by unicast instead
// of the broadcast search.
struct ProbeRequest {
    // Typed one by one: listed even when they do not answer, with their
    // port (80 when none was given).
    std::vector<std::pair<uint32_t, uint16_t>> added;
    // Every address to probe (the added ones too), each once, at most
    // LPR_PROBE_MAX_ADDRESSES.
    std::vector<uint32_t> addresses;
};

// Searches for `seconds` (or, when `probes` has addresses, probes them and
// waits for their answers instead), then waits (bounded) until the version
// worker has visited every camera found. Exit status 0.
int RunSearch(double seconds, std::optional<std::chrono::milliseconds> versionBound,
              const ProbeRequest& probes, CliOutput& output);
