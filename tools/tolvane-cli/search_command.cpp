#include "search_command.h"

#include "cli_session.h"
#include "dialog/version_queue.h"
#include "netaddr/address_order.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_sleep.h"
#include "sdk/lpr_sdk.h"
#include "tool_text.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The version worker serves its mailbox in order and reads the run flag of
// a request's owner before anything else: a request owned by this marker,
// sent last, tells when every earlier request has been served.
class QueueMarker : public NoteOwner {
public:
    NoteWindow GetNoteWindow() const override { return 0; }
    bool IsRunning() const override {
        m_reached.store(true);
        return false; // nothing is visited for the marker
    }
    bool Reached() const { return m_reached.load(); }

private:
    mutable std::atomic<bool> m_reached{false};
};

struct FoundCamera {
    std::string address;
    uint32_t port = 0;
    std::string version;
};

// The device list's order: each camera, in arrival order, goes before the
// first one it sorts before, so the listing matches the window's rows.
std::vector<FoundCamera> InAddressOrder(const std::vector<FoundCamera>& cameras) {
    std::vector<FoundCamera> ordered;
    ordered.reserve(cameras.size());
    for (const FoundCamera& camera : cameras) {
        auto at = std::find_if(ordered.begin(), ordered.end(), [&](const FoundCamera& row) {
            return netaddr::AddressLess(camera.address, row.address);
        });
        ordered.insert(at, camera);
    }
    return ordered;
}

// A camera once per (address, port); an added address that did not answer
// is listed with its typed port unless the address answered on another.
void AddCamera(std::vector<FoundCamera>& cameras, VersionQueue& versions,
               const std::string& address, uint32_t port, bool unlessAddressKnown = false) {
    for (const FoundCamera& camera : cameras) {
        if (camera.address == address && (unlessAddressKnown || camera.port == port)) {
            return;
        }
    }
    cameras.push_back({address, port, ""});
    versions.Request(address, static_cast<int32_t>(port));
}

// Starts the unicast probes; returns when their answers are in.
Clock::time_point StartProbes(const LprSdk& sdk, const ProbeRequest& probes, CliSession& session) {
    const auto count = static_cast<uint32_t>(probes.addresses.size());
    if (sdk.LprProbeAddresses(probes.addresses.data(), count, FindDeviceCallback,
                              static_cast<NoteOwner*>(&session)) != 0) {
        std::fprintf(stderr, "tolvane-cli: %s\n",
                     tool_text::translate("tolvane-cli", "the probes could not be sent").c_str());
        return Clock::now();
    }
    // A little over the probes' own run, for the last hellos in flight.
    return Clock::now() + std::chrono::milliseconds(LprProbeDurationMs(count) + 250);
}

// Per visit: the SDK's log-in and read timeouts plus the worker's pauses.
std::chrono::milliseconds VisitBound() {
    return std::chrono::milliseconds(40'000 + static_cast<int64_t>(3 * 1200 * OSA_timeScale()));
}

} // namespace

int RunSearch(double seconds, std::optional<std::chrono::milliseconds> versionBound,
              const ProbeRequest& probes, CliOutput& output) {
    CliSession session;
    QueueMarker marker;
    std::vector<FoundCamera> cameras;
    // Requests the version worker's full mailbox refused for now wait in
    // the version queue the window uses too.
    VersionQueue versions([&session](const std::string& address, int32_t port) {
        return SendVersionRequest(session.VersionTask(), address.c_str(), port, &session);
    });
    bool markerSent = false;

    auto sendBacklog = [&](bool withMarker) {
        if (session.VersionTask() == nullptr) {
            versions.Clear(); // no version worker: versions stay empty
            return;
        }
        if (versions.Pump() > 0) {
            return; // mailbox full: again once the worker has taken one
        }
        if (withMarker && !markerSent && session.VersionTask() != nullptr) {
            markerSent =
                SendVersionRequest(session.VersionTask(), "0.0.0.0", 0, &marker) == SEND_OK;
        }
    };
    auto handle = [&](const PostedNote& note) {
        if (note.message == WM_DEVICE_FOUND) {
            const auto* address = reinterpret_cast<const FoundDeviceNote*>(note.lParam);
            AddCamera(cameras, versions, *address, static_cast<uint32_t>(note.wParam));
        } else if (note.message == WM_DEVICE_VERSION) {
            const auto* version = reinterpret_cast<const DeviceVersionNote*>(note.wParam);
            const std::string address = FieldText(version->address);
            for (FoundCamera& camera : cameras) {
                if (camera.address == address) {
                    camera.version = FieldText(version->version);
                }
            }
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    };

    const LprSdk& sdk = LprSdkActive();
    auto searchEnd = Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    if (probes.addresses.empty()) {
        sdk.LprStartFindDevice(FindDeviceCallback, static_cast<NoteOwner*>(&session));
    } else {
        searchEnd = StartProbes(sdk, probes, session);
    }
    const auto tick = std::chrono::milliseconds(50);
    while (Clock::now() < searchEnd) {
        PostedNote note;
        if (session.NextNote(&note, std::min(searchEnd, Clock::now() + tick))) {
            handle(note);
        }
        sendBacklog(false);
    }
    sdk.LprStopFindDevice();
    const uint32_t dropped = sdk.LprGetSearchDropCount();

    // Reports that raced with the stop are still in the queue.
    PostedNote raced;
    while (session.NextNote(&raced, Clock::now())) {
        handle(raced);
    }
    for (const auto& [value, port] : probes.added) {
        AddCamera(cameras, versions, netaddr::FormatIpv4(value), port, /*unlessAddressKnown=*/true);
    }

    const auto versionEnd =
        Clock::now() +
        versionBound.value_or(VisitBound() * static_cast<int64_t>(cameras.size() + 1));
    sendBacklog(true);
    while (session.VersionTask() != nullptr && !(markerSent && marker.Reached()) &&
           Clock::now() < versionEnd) {
        PostedNote note;
        if (session.NextNote(&note, std::min(versionEnd, Clock::now() + tick))) {
            handle(note);
        }
        sendBacklog(true);
    }
    // Waits for the visit in hand if the bound cut it short; notes posted
    // until then are still collected.
    session.Shutdown();
    PostedNote note;
    while (session.NextNote(&note, Clock::now())) {
        handle(note);
    }

    for (const FoundCamera& camera : InAddressOrder(cameras)) {
        output.Device(camera.address, camera.port, camera.version);
    }
    if (dropped > 0) {
        output.SearchDropped(dropped, LPR_MAX_CAMERAS_PER_SEARCH);
    }
    return 0;
}
