#include "soak_fleet.h"

#include <algorithm>
#include <array>
#include <random>
#include <sstream>

using nlohmann::json;

namespace {

// Share of cameras without a fault; the rest is spread evenly over the
// fault kinds a run keeps.
constexpr double kHealthyShare = 0.4;

struct UpgradePath {
    const char* from; // first three parts of the start version
    const char* target;
};

// Every start version the image tree serves, and where a good run ends
// (every sample image installs build 9).
constexpr std::array<UpgradePath, 8> kPaths = {{
    {"5.0.6", "5.1.7.9"},
    {"5.1.6", "5.1.7.9"},
    {"5.1.7", "5.1.7.9"},
    {"5.3.6", "5.3.7.9"},
    {"5.3.7", "5.3.7.9"},
    {"5.5.6", "5.5.6.9"},
    {"5.6.6", "5.6.6.9"},
    {"6.2.1", "6.2.1.9"},
}};

struct NamedFault {
    FaultKind kind;
    const char* name;
};

constexpr std::array<NamedFault, 8> kNames = {{
    {FaultKind::Healthy, "healthy"},
    {FaultKind::UploadDrop, "drop"},
    {FaultKind::Stall, "stall"},
    {FaultKind::StopAfter, "stopafter"},
    {FaultKind::FlashFail, "flash"},
    {FaultKind::NoReturn, "noreturn"},
    {FaultKind::WrongPassword, "password"},
    {FaultKind::UnreadableVersion, "version"},
}};

int Uniform(std::mt19937_64& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// Sets the camsim fault fields of `kind` and a short description of them.
void DrawFault(std::mt19937_64& rng, SoakCamera& camera) {
    json& faults = camera.json["faults"];
    switch (camera.fault) {
    case FaultKind::Healthy:
        break;
    case FaultKind::UploadDrop: {
        const int percent = Uniform(rng, 1, 99);
        faults["drop_upload_at_percent"] = percent;
        camera.detail = "drop at " + std::to_string(percent) + "%";
        break;
    }
    case FaultKind::Stall:
        if (Uniform(rng, 0, 1) == 0) {
            // 1 ms a byte still lets the 1 s connection check through; from
            // 2 ms on a camera is never seen back after a restart, which
            // costs minutes, as stopafter does.
            faults["trickle_ms"] = 1;
            camera.detail = "trickle 1 ms";
        } else {
            faults["stop_answering"] = true;
            camera.detail = "stops answering";
        }
        break;
    case FaultKind::StopAfter: {
        const int after = Uniform(rng, 2, 40);
        faults["stop_answering_after"] = after;
        camera.detail = "stops answering after " + std::to_string(after) + " requests";
        break;
    }
    case FaultKind::FlashFail:
        faults["flash_fail"] = true;
        break;
    case FaultKind::NoReturn:
        faults["no_return_after_restart"] = true;
        break;
    case FaultKind::WrongPassword:
        camera.json["password"] = "not-ploma";
        break;
    case FaultKind::UnreadableVersion:
        if (Uniform(rng, 0, 1) == 0) {
            const int reads = Uniform(rng, 1, 14);
            faults["version_unreadable_reads"] = reads;
            camera.detail = std::to_string(reads) + " unreadable reads";
        } else {
            const int reads = Uniform(rng, 1, 25);
            faults["version_unreadable_after_flash"] = reads;
            camera.detail = std::to_string(reads) + " unreadable reads after flash";
        }
        break;
    }
    if (faults.empty()) {
        camera.json.erase("faults");
    }
}

// 127.62.B.H: one block of 250 hosts (2 to 251) after another, a fresh
// range of blocks for every batch; host 1 of the first block is the reference.
std::string AddressOf(int batch, int count, int index) {
    const int blocksPerBatch = count / 250 + 1;
    const int block = (batch * blocksPerBatch + (index < 0 ? 0 : index / 250)) % 256;
    const int host = index < 0 ? 1 : index % 250 + 2;
    return "127.62." + std::to_string(block) + "." + std::to_string(host);
}

} // namespace

const std::vector<FaultKind>& AllFaultKinds() {
    static const std::vector<FaultKind> kinds = {
        FaultKind::UploadDrop,       FaultKind::Stall,    FaultKind::StopAfter,
        FaultKind::FlashFail,        FaultKind::NoReturn, FaultKind::WrongPassword,
        FaultKind::UnreadableVersion};
    return kinds;
}

const char* FaultName(FaultKind kind) {
    for (const auto& entry : kNames) {
        if (entry.kind == kind) {
            return entry.name;
        }
    }
    return "?";
}

std::optional<std::vector<FaultKind>> ParseFaultList(const std::string& text, std::string* error) {
    if (text == "all") {
        return AllFaultKinds();
    }
    std::vector<FaultKind> kinds;
    if (text == "none") {
        return kinds;
    }
    std::stringstream words(text);
    std::string word;
    while (std::getline(words, word, ',')) {
        bool known = false;
        for (FaultKind kind : AllFaultKinds()) {
            if (word == FaultName(kind)) {
                known = true;
                if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
                    kinds.push_back(kind);
                }
            }
        }
        if (!known) {
            *error = "unknown fault kind '" + word +
                     "' (drop, stall, stopafter, flash, noreturn, password, version, all, none)";
            return std::nullopt;
        }
    }
    return kinds;
}

SoakFleet DrawFleet(uint64_t seed, int batch, int count, const std::vector<FaultKind>& faults) {
    std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                      static_cast<uint32_t>(batch)};
    std::mt19937_64 rng(seq);
    SoakFleet fleet;
    for (int i = 0; i < count; ++i) {
        SoakCamera camera;
        camera.address = AddressOf(batch, count, i);
        const UpgradePath& path =
            kPaths[static_cast<size_t>(Uniform(rng, 0, static_cast<int>(kPaths.size()) - 1))];
        camera.version = std::string(path.from) + "." + std::to_string(Uniform(rng, 1, 3));
        camera.target = path.target;
        const bool healthy =
            faults.empty() || std::uniform_real_distribution<double>(0, 1)(rng) < kHealthyShare;
        if (!healthy) {
            camera.fault =
                faults[static_cast<size_t>(Uniform(rng, 0, static_cast<int>(faults.size()) - 1))];
        }
        camera.json = {{"address", camera.address}, {"version", camera.version}};
        DrawFault(rng, camera);
        fleet.cameras.push_back(std::move(camera));
    }
    fleet.reference.address = AddressOf(batch, count, -1);
    fleet.reference.version = "5.1.7.1";
    fleet.reference.target = fleet.reference.version;
    fleet.reference.json = {{"address", fleet.reference.address},
                            {"version", fleet.reference.version}};
    return fleet;
}

json FleetFile(const SoakFleet& fleet, unsigned short port) {
    json cameras = json::array();
    for (const SoakCamera& camera : fleet.cameras) {
        cameras.push_back(camera.json);
    }
    cameras.push_back(fleet.reference.json);
    return {{"defaults", {{"port", port}}}, {"cameras", cameras}};
}
