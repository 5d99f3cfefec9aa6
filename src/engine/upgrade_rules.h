// The decisions an upgrade rests on, taken from the camera's version number.
// The upgrade sequence acts on them and the planner reports them, so both
// always agree on what a camera would go through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Oldest firmware: logs and record database cleared, then a restart.
bool NeedsPreparation(int32_t versionNumber);

// 5.1.6 cameras: the watchdog feeder started and av_server.out stopped
// before an image is sent to them.
bool NeedsServiceStop(int32_t versionNumber);

// The images a camera of this version gets, in sending order (the image
// catalogue's choice); empty when there is none.
std::vector<std::string> ImagesFor(int32_t versionNumber);
