#pragma once

#include "version.h"

#include <cstdint>
#include <string>
#include <vector>

namespace camsim {

struct SampleImage {
    std::string folder;   // relative to the tree's root, e.g. "UpdateFiles/DM3730/517"
    std::string fileName; // passes the catalogue's name checks
    std::string platform;
    Version target{};
};

// The seven images of a sample UpdateFiles tree; their targets let every
// upgrade path finish on the simulator.
std::vector<SampleImage> sampleImages();

// Writes DIR/UpdateFiles/... with one image per folder. False with a message
// on failure.
bool writeSampleTree(const std::string& dir, std::uint64_t payloadSize, std::string* error);

} // namespace camsim
