// Hellos read off a discovery socket: shared by the broadcast search and the
// unicast probes, so that both accept and report cameras alike.
#pragma once

#include "sdk/lpr_sdk.h"
#include "sdk/udp_socket.h"

#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace lpr {

// 16 lower-case hex digits from the system's random source.
std::string MakeSearchNonce();

struct HelloSink {
    LprFindDeviceCallback callback;
    void* userData;
    const std::atomic<bool>* stop; // read after each report: the callback may ask to end
    // When given, at most LPR_MAX_CAMERAS_PER_SEARCH cameras are reported and
    // the hellos of further ones are counted here.
    std::atomic<uint32_t>* dropped = nullptr;
};

// (address in network order, port) of each camera reported so far.
using ReportedCameras = std::set<std::pair<uint32_t, uint16_t>>;

// Reads every waiting datagram and reports the cameras not yet reported.
void DrainHellos(UdpSocket& socket, const std::string& nonce, ReportedCameras& reported,
                 const HelloSink& sink);

} // namespace lpr
