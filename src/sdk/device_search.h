// Camera discovery: a thread that broadcasts probes and reports each camera
// that answers, once per search, through the caller's callback.
#pragma once

#include "sdk/lpr_sdk.h"
#include "sdk/udp_socket.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace lpr {

constexpr uint16_t kDefaultDiscoveryPort = 37810;
// Probes repeat this often while a search runs.
constexpr int kProbeIntervalMs = 2000;
// Forged hellos must not grow the set of reported cameras, nor the work of
// whoever reads their versions, without bound.
constexpr std::size_t kMaxCamerasPerSearch = LPR_MAX_CAMERAS_PER_SEARCH;

// The discovery port: TOLVANE_DISCOVERY_PORT when it names a valid port
// (lets tests run side by side), else the protocol's port.
uint16_t DiscoveryPortFromEnvironment();

class DeviceSearch {
public:
    DeviceSearch() = default;
    ~DeviceSearch();
    DeviceSearch(const DeviceSearch&) = delete;
    DeviceSearch& operator=(const DeviceSearch&) = delete;

    // Ends a running search first. False when no socket could be opened.
    bool Start(LprFindDeviceCallback callback, void* userData, uint16_t port);

    // Ends the search and waits for its thread; harmless when none runs.
    // Called from the callback itself it only asks the search to end.
    void Stop();

    // Hellos of cameras beyond kMaxCamerasPerSearch that the running or the
    // last search dropped.
    uint32_t DroppedHellos() const { return dropped_.load(); }

private:
    std::mutex mutex_;
    std::thread thread_;
    std::unique_ptr<Waker> waker_;
    std::atomic<bool> stop_{false};
    std::atomic<uint32_t> dropped_{0};
};

} // namespace lpr
