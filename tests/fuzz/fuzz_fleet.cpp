// Fleet files as an operator may hand them to the camera simulator.
#include "camera_config.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // Anything other than runtime_error escapes the simulator's start-up
    // message and counts as a crash here.
    try {
        auto fleet = camsim::parseFleet(text);
        camsim::validateFleet(fleet);
        for (const auto& camera : fleet) {
            if (camera.port == 0 || !camsim::isKnownPlatform(camera.platform) ||
                camera.model.empty() || camera.serial.empty()) {
                __builtin_trap(); // validated, yet unusable
            }
        }
    } catch (const std::runtime_error& e) {
        if (std::string(e.what()).empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
