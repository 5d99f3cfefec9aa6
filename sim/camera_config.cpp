#include "camera_config.h"

#include "netaddr/dotted_ipv4.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

namespace camsim {
namespace {

using nlohmann::json;

const std::set<std::string> kCameraKeys = {"address",    "port",     "model",        "serial",
                                           "platform",   "version",  "user",         "password",
                                           "restart_ms", "flash_ms", "upload_kib_s", "faults"};

const std::set<std::string> kFaultKeys = {"refuse_login",
                                          "version_unreadable_reads",
                                          "version_unreadable_after",
                                          "version_unreadable_after_flash",
                                          "fourth_zero",
                                          "shell_fail",
                                          "flash_fail",
                                          "flash_no_effect",
                                          "no_return_after_restart",
                                          "drop_upload_at_percent",
                                          "stop_answering",
                                          "stop_answering_after",
                                          "trickle_ms",
                                          "flash_result_version",
                                          "replaced_after_restart",
                                          "silent_while_flashing"};

[[noreturn]] void invalid(const std::string& what) {
    throw std::runtime_error(what);
}

// A fleet file needs five levels (fleet, cameras, camera, faults, shell_fail).
constexpr int kMaxFleetDepth = 16;

template <typename T> T number(const json& value, const std::string& field, T lo, T hi) {
    if (!value.is_number_integer()) {
        invalid(field + " must be an integer");
    }
    // 2^64-1 read as a signed number would be -1 and pass a range that holds -1.
    const bool huge = value.is_number_unsigned() &&
                      value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX);
    auto n = value.get<std::int64_t>();
    if (huge || n < static_cast<std::int64_t>(lo) || n > static_cast<std::int64_t>(hi)) {
        invalid(field + " must be between " + std::to_string(lo) + " and " + std::to_string(hi));
    }
    return static_cast<T>(n);
}

std::string text(const json& value, const std::string& field) {
    if (!value.is_string()) {
        invalid(field + " must be a string");
    }
    return value.get<std::string>();
}

bool flag(const json& value, const std::string& field) {
    if (!value.is_boolean()) {
        invalid(field + " must be true or false");
    }
    return value.get<bool>();
}

Version versionOf(const json& value) {
    if (value.is_string()) {
        auto v = parseVersion(value.get<std::string>());
        if (!v) {
            invalid("version must look like \"5.1.7.2\"");
        }
        return *v;
    }
    if (value.is_array() && value.size() == 4) {
        Version v{};
        for (std::size_t i = 0; i < 4; ++i) {
            v[i] = number<std::int32_t>(value[i], "version", INT32_MIN, INT32_MAX);
        }
        return v;
    }
    invalid("version must be \"a.b.c.d\" or an array of four integers");
}

void checkKeys(const json& object, const std::set<std::string>& known, const std::string& where) {
    if (!object.is_object()) {
        invalid(where + " must be an object");
    }
    for (const auto& item : object.items()) {
        if (known.count(item.key()) == 0) {
            invalid(where + ": unknown field \"" + item.key() + "\"");
        }
    }
}

CameraFaults faultsOf(const json& object) {
    checkKeys(object, kFaultKeys, "faults");
    CameraFaults f;
    for (const auto& item : object.items()) {
        const std::string& k = item.key();
        const json& v = item.value();
        if (k == "refuse_login") {
            f.refuseLogin = flag(v, k);
        } else if (k == "version_unreadable_reads") {
            f.versionUnreadableReads = number<int>(v, k, 0, 1000000);
        } else if (k == "version_unreadable_after") {
            f.versionReadableFirst = number<int>(v, k, 0, 1000000);
        } else if (k == "version_unreadable_after_flash") {
            f.versionUnreadableAfterFlash = number<int>(v, k, 0, 1000000);
        } else if (k == "fourth_zero") {
            f.fourthZero = flag(v, k);
        } else if (k == "shell_fail") {
            if (!v.is_object()) {
                invalid("shell_fail must map commands to exit codes");
            }
            for (const auto& cmd : v.items()) {
                f.shellFail[cmd.key()] = number<int>(cmd.value(), "shell_fail exit code", 1, 255);
            }
        } else if (k == "flash_fail") {
            f.flashFail = flag(v, k);
        } else if (k == "flash_no_effect") {
            f.flashNoEffect = flag(v, k);
        } else if (k == "no_return_after_restart") {
            f.noReturnAfterRestart = flag(v, k);
        } else if (k == "drop_upload_at_percent") {
            f.dropUploadAtPercent = number<int>(v, k, 0, 99);
        } else if (k == "stop_answering") {
            f.stopAnswering = flag(v, k);
        } else if (k == "stop_answering_after") {
            f.stopAnsweringAfter = number<int>(v, k, 0, 1000000);
        } else if (k == "trickle_ms") {
            f.trickleMs = number<int>(v, k, 0, 10000);
        } else if (k == "flash_result_version") {
            f.flashResultVersion = versionOf(v);
        } else if (k == "replaced_after_restart") {
            f.replacedAfterRestart = flag(v, k);
        } else if (k == "silent_while_flashing") {
            f.silentWhileFlashing = flag(v, k);
        }
    }
    return f;
}

CameraConfig cameraOf(const json& object) {
    checkKeys(object, kCameraKeys, "camera");
    CameraConfig c;
    for (const auto& item : object.items()) {
        const std::string& k = item.key();
        const json& v = item.value();
        if (k == "address") {
            c.address = text(v, k);
        } else if (k == "port") {
            c.port = number<std::uint16_t>(v, k, 1, 65535);
        } else if (k == "model") {
            c.model = text(v, k);
        } else if (k == "serial") {
            c.serial = text(v, k);
        } else if (k == "platform") {
            c.platform = text(v, k);
        } else if (k == "version") {
            c.version = versionOf(v);
        } else if (k == "user") {
            c.user = text(v, k);
        } else if (k == "password") {
            c.password = text(v, k);
        } else if (k == "restart_ms") {
            c.restartMs = number<std::int64_t>(v, k, 0, 86400000);
        } else if (k == "flash_ms") {
            c.flashMs = number<std::int64_t>(v, k, 0, 86400000);
        } else if (k == "upload_kib_s") {
            c.uploadKibPerSec = number<std::int64_t>(v, k, 0, 100000000);
        } else if (k == "faults") {
            c.faults = faultsOf(v);
        }
    }
    return c;
}

json mergeDefaults(const json& defaults, const json& camera) {
    json merged = defaults;
    for (const auto& item : camera.items()) {
        if (item.key() == "faults" && merged.contains("faults") && merged["faults"].is_object() &&
            item.value().is_object()) {
            for (const auto& f : item.value().items()) {
                merged["faults"][f.key()] = f.value();
            }
        } else {
            merged[item.key()] = item.value();
        }
    }
    return merged;
}

} // namespace

std::string addressAfter(const std::string& base, std::uint32_t index) {
    std::string fault;
    const std::optional<netaddr::Ipv4Address> parsed = netaddr::ParseIpv4(base, &fault);
    if (!parsed) {
        invalid("--base \"" + base + "\" is not a dotted IPv4 address: " + fault);
    }
    const std::uint64_t value = std::uint64_t{parsed->value} + index;
    if (value > 0xffffffffULL) {
        invalid("address range runs past 255.255.255.255");
    }
    return netaddr::FormatIpv4(static_cast<std::uint32_t>(value));
}

void completeAndValidate(CameraConfig& camera) {
    std::string fault;
    const std::optional<netaddr::Ipv4Address> address = netaddr::ParseIpv4(camera.address, &fault);
    if (!address) {
        invalid("address \"" + camera.address + "\" is not a dotted IPv4 address: " + fault);
    }
    if (camera.port == 0) {
        invalid("port must be between 1 and 65535");
    }
    if (camera.platform.empty()) {
        camera.platform = platformForVersion(camera.version);
        if (camera.platform.empty()) {
            invalid("no platform given and none follows from version " +
                    formatVersion(camera.version));
        }
    }
    if (!isKnownPlatform(camera.platform)) {
        invalid("platform must be DM3730, DM8127 or HS3516, not \"" + camera.platform + "\"");
    }
    if (camera.model.empty()) {
        camera.model = "LPR-" + camera.platform;
    }
    if (camera.serial.empty()) {
        camera.serial = "SIM" + std::to_string(address->value) + "-" + std::to_string(camera.port);
    }
    if (camera.model.size() > 200 || camera.serial.size() > 200) {
        invalid("model and serial must be at most 200 bytes");
    }
    if (camera.user.find(':') != std::string::npos) {
        invalid("user must not contain ':'");
    }
    for (const auto& [command, code] : camera.faults.shellFail) {
        (void)code;
        if (command.empty() || command.size() > 256) {
            invalid("shell_fail commands must be 1 to 256 bytes");
        }
    }
}

void validateFleet(std::vector<CameraConfig>& fleet) {
    std::set<std::pair<std::string, std::uint16_t>> seen;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        try {
            completeAndValidate(fleet[i]);
        } catch (const std::runtime_error& e) {
            invalid("camera " + std::to_string(i + 1) + ": " + e.what());
        }
        if (!seen.emplace(fleet[i].address, fleet[i].port).second) {
            invalid("camera " + std::to_string(i + 1) + ": " + fleet[i].address + ":" +
                    std::to_string(fleet[i].port) + " is used twice");
        }
    }
}

std::vector<CameraConfig> parseFleet(const std::string& textIn) {
    json doc;
    try {
        // Copies of a document recurse once per level: a file of deeply
        // nested brackets would otherwise exhaust the stack.
        doc = json::parse(textIn, [](int depth, json::parse_event_t, json&) {
            if (depth > kMaxFleetDepth) {
                invalid("fleet file nests deeper than " + std::to_string(kMaxFleetDepth) +
                        " levels");
            }
            return true;
        });
    } catch (const json::exception& e) {
        invalid(std::string("fleet file is not valid JSON: ") + e.what());
    }
    json defaults = json::object();
    json cameras;
    if (doc.is_array()) {
        cameras = doc;
    } else if (doc.is_object()) {
        checkKeys(doc, {"defaults", "cameras"}, "fleet");
        if (doc.contains("defaults")) {
            defaults = doc["defaults"];
            if (!defaults.is_object()) {
                invalid("defaults must be an object");
            }
        }
        cameras = doc.value("cameras", json::array());
    } else {
        invalid("fleet file must hold an array of cameras or {\"cameras\":[...]}");
    }
    if (!cameras.is_array()) {
        invalid("cameras must be an array");
    }
    std::vector<CameraConfig> fleet;
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        try {
            if (!cameras[i].is_object()) {
                invalid("must be an object");
            }
            fleet.push_back(cameraOf(mergeDefaults(defaults, cameras[i])));
            if (fleet.back().address.empty()) {
                invalid("address is missing");
            }
        } catch (const std::runtime_error& e) {
            invalid("camera " + std::to_string(i + 1) + ": " + e.what());
        }
    }
    return fleet;
}

} // namespace camsim
