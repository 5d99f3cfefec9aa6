// Time from LprStartFindDevice until every one of 250 simulated cameras has
// been reported, over several searches.
#include "camsim_harness.h"
#include "sdk/lpr_sdk.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kCameras = 250;
constexpr int kSearches = 5;

struct Found {
    std::mutex mutex;
    std::set<std::pair<std::string, uint32_t>> cameras;
    Clock::time_point allAt{};
};

void OnFound(uint32_t, const char* address, uint32_t port, uint32_t, uint32_t, uint32_t,
             void* user) {
    auto* found = static_cast<Found*>(user);
    std::lock_guard<std::mutex> lock(found->mutex);
    if (std::string(address).rfind("127.63.", 0) == 0) {
        found->cameras.emplace(address, port);
        if (found->cameras.size() == kCameras) {
            found->allAt = Clock::now();
        }
    }
}

} // namespace

int main() {
    harness::CamsimProcess sim(
        CAMSIM_BINARY, {"--count", std::to_string(kCameras), "--base", "127.63.1.2", "--port",
                        std::to_string(harness::ProcessCameraPort()), "--version", "5.1.7.2"});
    if (!sim.WaitReady()) {
        std::fprintf(stderr, "camsim did not start\n");
        return 1;
    }
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(sim.DiscoveryPort()).c_str(), 1);
    const LprSdk& sdk = LprNetworkSdk();
    sdk.LprSetup();
    std::vector<double> times;
    for (int search = 0; search < kSearches; ++search) {
        Found found;
        Clock::time_point start = Clock::now();
        sdk.LprStartFindDevice(OnFound, &found);
        Clock::time_point deadline = start + std::chrono::seconds(10);
        std::size_t count = 0;
        while (Clock::now() < deadline) {
            {
                std::lock_guard<std::mutex> lock(found.mutex);
                count = found.cameras.size();
            }
            if (count == kCameras) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        sdk.LprStopFindDevice();
        if (count == kCameras) {
            times.push_back(std::chrono::duration<double>(found.allAt - start).count());
            std::printf("search %d: all %zu cameras reported after %.3f s\n", search + 1, kCameras,
                        times.back());
        } else {
            std::printf("search %d: only %zu of %zu cameras within 10 s\n", search + 1, count,
                        kCameras);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        std::printf("searches complete: %zu of %d; median %.3f s, worst %.3f s (target 3 s)\n",
                    times.size(), kSearches, times[times.size() / 2], times.back());
    }
    sdk.LprCleanup();
    return 0;
}
