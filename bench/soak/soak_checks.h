// What the soak checks after every batch: one result per camera, the truth
// of every reported upgrade, and the process's own threads, descriptors and
// memory.
#pragma once

#include "soak_batch.h"
#include "soak_fleet.h"

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct ProcessResources {
    int threads = 0;
    int fds = 0;
    long rssKiB = 0;
};

// Read from /proc/self.
ProcessResources SampleResources();

struct KindFigures {
    int cameras = 0;
    int upgraded = 0;
    int failed = 0;
    int violations = 0;
};

struct BatchVerdict {
    int upgraded = 0;
    int failed = 0;
    int missing = 0;     // cameras without a result
    int duplicates = 0;  // cameras with more than one
    int unconfirmed = 0; // reported upgraded, but the version worker could not read them
    std::map<FaultKind, KindFigures> byKind;
    std::vector<std::string> violations; // one line per camera
    std::vector<std::string> slowest;    // the cameras that held their worker longest
};

// The version each camera runs by camsim's event log: its start version,
// then the version of every restart it came up from.
std::map<std::string, std::string> RunningVersions(const std::vector<nlohmann::json>& events,
                                                   const SoakFleet& fleet);

// A violation is a camera reported upgraded that does not run its target
// (by camsim, or by the version worker's read after the batch), or a camera
// without a fault that was not upgraded.
BatchVerdict Judge(const SoakFleet& fleet, const BatchRun& run,
                   const std::map<std::string, std::string>& running);
