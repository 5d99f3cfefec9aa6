// Unicast probes: each call of LprProbeAddresses runs on a thread of its
// own, sends the discovery probe to every address and reports the cameras
// that answer. The calls running at once share one pace, so that together
// they stay within the probe rate.
#pragma once

#include "sdk/lpr_sdk.h"

#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace lpr {

// The next moment a probe may be sent, shared by every running scan.
class ProbePacer {
public:
    std::chrono::steady_clock::time_point Reserve();

private:
    std::mutex mutex_;
    std::chrono::steady_clock::time_point next_{};
};

class ProbeScans {
public:
    ProbeScans();
    ~ProbeScans();
    ProbeScans(const ProbeScans&) = delete;
    ProbeScans& operator=(const ProbeScans&) = delete;

    // False when refused (see LprProbeAddresses); nothing is sent then.
    bool Start(const uint32_t* addresses, uint32_t count, LprFindDeviceCallback callback,
               void* userData, uint16_t port);

    // Ends every scan and joins its thread. Called from a scan's callback it
    // only asks that scan to end; its thread is joined later.
    void StopAll();

    struct Scan;

private:
    void ReapFinished(); // mutex_ held

    std::mutex mutex_;
    std::list<std::unique_ptr<Scan>> scans_;
    ProbePacer pacer_;
};

} // namespace lpr
