// The network implementation of the SDK table: each operation validates its
// handle, then talks to the camera with the bounds of camera_calls.h.
#include "netaddr/dotted_ipv4.h"
#include "sdk/camera_calls.h"
#include "sdk/credential_text.h"
#include "sdk/device_search.h"
#include "sdk/http_client.h"
#include "sdk/lpr_sdk.h"
#include "sdk/probe_scan.h"
#include "sdk/session_registry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace lpr;

// Error of the transfer that failed last, per thread: several upgrade
// workers fail transfers at the same time and each asks for its own.
thread_local int32_t t_lastUpdateError = 0;

DeviceSearch& TheSearch() {
    static DeviceSearch search;
    return search;
}

ProbeScans& TheProbes() {
    static ProbeScans probes;
    return probes;
}

int32_t NetSetup() {
    EnsureHttpInitialised();
    return 0;
}

int32_t NetCleanup() {
    TheSearch().Stop();
    TheProbes().StopAll();
    // Each session's destructor stops its transfer and waits for its thread.
    for (auto& session : TakeAllSessions()) {
        session->upload.Stop();
    }
    return 0;
}

int32_t NetStartFindDevice(LprFindDeviceCallback callback, void* userData) {
    return TheSearch().Start(callback, userData, DiscoveryPortFromEnvironment()) ? 0 : -1;
}

int32_t NetStopFindDevice() {
    TheSearch().Stop();
    TheProbes().StopAll();
    return 0;
}

int32_t NetProbeAddresses(const uint32_t* addresses, uint32_t count, LprFindDeviceCallback callback,
                          void* userData) {
    return TheProbes().Start(addresses, count, callback, userData, DiscoveryPortFromEnvironment())
               ? 0
               : -1;
}

int32_t NetStopProbe() {
    TheProbes().StopAll();
    return 0;
}

LprHandle NetOpen(const char* address, uint32_t port, const char* user, const char* password) {
    uint16_t port16 = static_cast<uint16_t>(port & 0xffff);
    if (!netaddr::IsDottedIpv4(address) || port16 == 0 || user == nullptr || password == nullptr ||
        HasControlCharacter(user) || HasControlCharacter(password)) {
        return nullptr;
    }
    CameraEndpoint endpoint{address, port16, DigestCredentials{user, password}};
    std::optional<DeviceInfo> info = FetchDeviceInfo(endpoint, kConnectMs, kRequestMs);
    if (!info) {
        return nullptr;
    }
    return RegisterSession(std::make_shared<CameraSession>(std::move(endpoint), std::move(*info)));
}

int32_t NetClose(LprHandle handle) {
    std::shared_ptr<CameraSession> session = TakeSession(handle);
    if (!session) {
        return -1;
    }
    session->upload.Stop();
    return 0;
}

int32_t NetIsConnected(LprHandle handle, uint8_t* status) {
    std::shared_ptr<CameraSession> session = FindSession(handle);
    bool connected =
        session && FetchDeviceInfo(session->endpoint, kConnectedCheckMs, kConnectedCheckMs);
    if (status != nullptr) {
        status[0] = connected ? 1 : 0; // the second byte is the caller's
    }
    return connected ? 0 : -1;
}

int32_t NetGetVersion(LprHandle handle, int32_t* v1, int32_t* v2, int32_t* v3, int32_t* v4) {
    std::shared_ptr<CameraSession> session = FindSession(handle);
    if (!session) {
        return -1;
    }
    auto info = FetchDeviceInfo(session->endpoint, kConnectMs, kRequestMs);
    if (!info) {
        return -1;
    }
    int32_t* out[4] = {v1, v2, v3, v4};
    for (int i = 0; i < 4; ++i) {
        if (out[i] != nullptr) {
            *out[i] = info->version[static_cast<std::size_t>(i)];
        }
    }
    return 0;
}

int32_t NetUpdateStart(LprHandle handle, const char* imagePath) {
    std::shared_ptr<CameraSession> session = FindSession(handle);
    if (!session || imagePath == nullptr) {
        return -1;
    }
    return session->upload.Start(session->endpoint, imagePath) ? 0 : -1;
}

int32_t NetUpdateGetState(LprHandle handle) {
    std::shared_ptr<CameraSession> session = FindSession(handle);
    UploadOutcome outcome =
        session ? session->upload.Query()
                : UploadOutcome{LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_NOT_CONNECTED};
    if (outcome.state == LPR_UPDATE_STATE_FAILED ||
        outcome.state == LPR_UPDATE_STATE_TRANSPORT_FAILED) {
        t_lastUpdateError = outcome.error;
    }
    return outcome.state;
}

int32_t NetUpdateGetError() {
    return t_lastUpdateError;
}

int32_t NetReboot(LprHandle handle) {
    std::shared_ptr<CameraSession> session = FindSession(handle);
    return (session && RequestReboot(session->endpoint)) ? 0 : -1;
}

int32_t NetRemoteShellExec(const char* address, const char* command) {
    if (!netaddr::IsDottedIpv4(address) || command == nullptr ||
        std::strlen(command) > kMaxShellCommandBytes) {
        return -1;
    }
    std::shared_ptr<CameraSession> session = FindSessionByAddress(address);
    if (!session) {
        return -1;
    }
    auto result = RunShellCommand(session->endpoint, command);
    return (result && result->exitCode == 0) ? 0 : -1;
}

template <std::size_t N> void CopyCut(char (&field)[N], const std::string& text) {
    const std::size_t count = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), count);
    std::memset(field + count, 0, N - count);
}

void FillIdentity(const DeviceInfo& info, LprIdentity* out) {
    CopyCut(out->model, info.model);
    CopyCut(out->serial, info.serial);
    CopyCut(out->platform, info.platform);
}

int32_t NetGetIdentity(LprHandle handle, LprIdentity* atLogin, LprIdentity* current) {
    std::shared_ptr<CameraSession> session = FindSession(handle);
    if (!session) {
        return -1;
    }
    if (atLogin != nullptr) {
        FillIdentity(session->atLogin, atLogin);
    }
    if (current != nullptr) {
        std::optional<DeviceInfo> info = FetchDeviceInfo(session->endpoint, kConnectMs, kRequestMs);
        if (!info) {
            return -1;
        }
        FillIdentity(*info, current);
    }
    return 0;
}

uint32_t NetGetSearchDropCount() {
    return TheSearch().DroppedHellos();
}

const LprSdk kNetworkTable = {
    NetSetup,          NetCleanup,     NetStartFindDevice, NetStopFindDevice,     NetOpen,
    NetClose,          NetIsConnected, NetGetVersion,      NetUpdateStart,        NetUpdateGetState,
    NetUpdateGetError, NetReboot,      NetRemoteShellExec, NetGetSearchDropCount, NetProbeAddresses,
    NetStopProbe,      NetGetIdentity,
};

} // namespace

const LprSdk& LprNetworkSdk() {
    return kNetworkTable;
}
