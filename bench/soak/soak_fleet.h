// The simulated cameras of one soak batch: start versions, the version a
// good upgrade ends at, and seeded random faults.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

enum class FaultKind {
    Healthy,
    UploadDrop,
    Stall,     // slow answers, or none from the start
    StopAfter, // stops answering part way through the upgrade
    FlashFail,
    NoReturn,
    WrongPassword,
    UnreadableVersion,
};

// Every fault kind (not Healthy), in the order reports list them.
const std::vector<FaultKind>& AllFaultKinds();
const char* FaultName(FaultKind kind);

// "drop,stall,stopafter,flash,noreturn,password,version" (any subset, comma-separated),
// "all" or "none". Empty result and a message on a word it does not know.
std::optional<std::vector<FaultKind>> ParseFaultList(const std::string& text, std::string* error);

struct SoakCamera {
    std::string address;
    std::string version; // a.b.c.d it runs at the start of the batch
    std::string target;  // a.b.c.d a finished upgrade leaves it at
    FaultKind fault = FaultKind::Healthy;
    std::string detail;  // the fault's parameters, for reports
    nlohmann::json json; // its entry in the fleet file
};

struct SoakFleet {
    std::vector<SoakCamera> cameras;
    // A healthy camera outside the batch: the version worker's last request
    // of a pass goes to it, so its answer says the pass is over.
    SoakCamera reference;
};

// Cameras of batch `batch` (from 0), on 127.62.0.0/16: the same seed, batch
// and fault list always give the same fleet.
SoakFleet DrawFleet(uint64_t seed, int batch, int count, const std::vector<FaultKind>& faults);

// camsim's fleet file for every camera and the reference, on `port`.
nlohmann::json FleetFile(const SoakFleet& fleet, unsigned short port);
