#pragma once

#include "version.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace camsim {

// Misbehaviours a simulated camera can be told to show.
struct CameraFaults {
    bool refuseLogin = false;
    // After `versionReadableFirst` good device reads, the next
    // `versionUnreadableReads` reads answer 503.
    int versionUnreadableReads = 0;
    int versionReadableFirst = 1;
    // After each restart into a newly flashed version, the first device read
    // (the tool's "is it back" check) succeeds and the next N answer 503.
    int versionUnreadableAfterFlash = 0;
    bool fourthZero = false;
    std::map<std::string, int> shellFail; // command -> exit code
    bool flashFail = false;
    bool flashNoEffect = false; // reports done, comes back on the old version
    bool noReturnAfterRestart = false;
    std::optional<int> dropUploadAtPercent;
    bool stopAnswering = false;
    std::optional<int> stopAnsweringAfter; // requests answered before it goes silent
    int trickleMs = 0;                     // >0: answers one byte per this many ms
    // A finished flash brings the camera up on this version, not the image's.
    std::optional<Version> flashResultVersion;
    // After its first restart another device answers: another serial, a DM8127.
    bool replacedAfterRestart = false;
    // Answers no request while it flashes (state polls time out).
    bool silentWhileFlashing = false;
};

struct CameraConfig {
    std::string address;
    std::uint16_t port = 80;
    std::string model;
    std::string serial;
    std::string platform;
    Version version{5, 1, 7, 1};
    std::string user = "admin";
    std::string password = "ploma";
    std::int64_t restartMs = 25000;
    std::int64_t flashMs = 15000;
    std::int64_t uploadKibPerSec = 0; // 0: as fast as the client sends
    CameraFaults faults;
};

// Reads a fleet file's text: either an array of cameras or an object
// {"defaults":{...},"cameras":[...]}. Throws std::runtime_error with a
// message that names the offending camera and field.
std::vector<CameraConfig> parseFleet(const std::string& text);

// Fills what a camera entry left out (platform from the version, model,
// serial) and checks the values; throws std::runtime_error when invalid.
void completeAndValidate(CameraConfig& camera);

// Checks a whole fleet (each camera, and no address:port twice).
void validateFleet(std::vector<CameraConfig>& fleet);

// The IPv4 address `index` steps after `base` (dotted text); throws when it
// runs past 255.255.255.255 or base is not an address.
std::string addressAfter(const std::string& base, std::uint32_t index);

} // namespace camsim
