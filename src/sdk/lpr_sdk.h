// The camera SDK boundary: every camera operation the tool uses, as one
// table of functions. The network implementation is the default table; tests
// install a scripted fake. Callers never know which one they talk to.
#pragma once

#include <cstdint>

using LprHandle = void*;

// The search callback. Arguments: (1) ignored (0); (2) the camera's address
// as dotted IPv4 text, valid only during the call; (3) the camera's port in
// the low 16 bits; (4) to (6) ignored (0); (7) the user data given to
// LprStartFindDevice.
using LprFindDeviceCallback = void (*)(uint32_t reserved1, const char* address, uint32_t port,
                                       uint32_t reserved4, uint32_t reserved5, uint32_t reserved6,
                                       void* userData);

// Cameras one search reports at most; hellos of further cameras are dropped
// and counted (LprGetSearchDropCount).
constexpr uint32_t LPR_MAX_CAMERAS_PER_SEARCH = 4096;

// Transfer states of LprUpdateGetState.
constexpr int32_t LPR_UPDATE_STATE_DONE = 1;
constexpr int32_t LPR_UPDATE_STATE_SENDING = 2;
constexpr int32_t LPR_UPDATE_STATE_FLASHING = 3;
constexpr int32_t LPR_UPDATE_STATE_FAILED = 4;
constexpr int32_t LPR_UPDATE_STATE_TRANSPORT_FAILED = -1;

// Error codes of LprUpdateGetError (the camera protocol's numbering).
constexpr int32_t LPR_ERR_FILE_UNREADABLE = 1;
constexpr int32_t LPR_ERR_NOT_CONNECTED = 2;
constexpr int32_t LPR_ERR_CONNECTION_LOST = 3;
constexpr int32_t LPR_ERR_INVALID_IMAGE = 4;
constexpr int32_t LPR_ERR_CHECKSUM = 5;
constexpr int32_t LPR_ERR_WRONG_PLATFORM = 6;
constexpr int32_t LPR_ERR_ALREADY_INSTALLED = 7;
constexpr int32_t LPR_ERR_FLASH_FAILED = 8;
constexpr int32_t LPR_ERR_BUSY = 9;
constexpr int32_t LPR_ERR_TIMEOUT = 10;
// The connection broke before the camera accepted the image: it never flashed.
constexpr int32_t LPR_ERR_LOST_WHILE_SENDING = 11;

// What tells one camera from another: the texts of its device answer,
// zero-terminated (a longer text is cut).
struct LprIdentity {
    char model[64];
    char serial[64];
    char platform[16];
};

struct LprSdk {
    int32_t (*LprSetup)();
    int32_t (*LprCleanup)();
    int32_t (*LprStartFindDevice)(LprFindDeviceCallback callback, void* userData);
    int32_t (*LprStopFindDevice)();
    // Null when the log-in fails. `port` is the 16-bit port zero-extended.
    LprHandle (*LprOpen)(const char* address, uint32_t port, const char* user,
                         const char* password);
    int32_t (*LprClose)(LprHandle handle);
    // status points to two bytes zeroed by the caller; status[0] = 1 when connected.
    int32_t (*LprIsConnected)(LprHandle handle, uint8_t* status);
    // 0 and the four parts of the version in order; nonzero on failure.
    int32_t (*LprGetVersion)(LprHandle handle, int32_t* v1, int32_t* v2, int32_t* v3, int32_t* v4);
    // -1 refused; otherwise the transfer runs in the background.
    int32_t (*LprUpdateStart)(LprHandle handle, const char* imagePath);
    // 1 done; 4 or -1 failed; anything else still running.
    int32_t (*LprUpdateGetState)(LprHandle handle);
    // Error of the transfer that just failed on the calling thread.
    int32_t (*LprUpdateGetError)();
    int32_t (*LprReboot)(LprHandle handle);
    // The shell library's operation: 0 when the command ran with exit 0.
    int32_t (*RemoteShellExec)(const char* address, const char* command);
    // Hellos the running or the last search dropped because it had already
    // reported LPR_MAX_CAMERAS_PER_SEARCH cameras; 0 before any search.
    uint32_t (*LprGetSearchDropCount)();

    // Sends the discovery probe by unicast to each address (first field in
    // the top byte), for cameras the broadcast search cannot reach. Answers
    // are reported through the callback as the search reports them, each
    // (address, port) once per call. Runs in the background: the probes go
    // out at LPR_PROBES_PER_SECOND at most, then the answers are awaited
    // LPR_PROBE_LISTEN_MS more. 0 = started; -1 = refused, nothing sent
    // (no addresses, more than LPR_PROBE_MAX_ADDRESSES, no callback, or
    // LPR_PROBE_MAX_RUNNING calls still running).
    int32_t (*LprProbeAddresses)(const uint32_t* addresses, uint32_t count,
                                 LprFindDeviceCallback callback, void* userData);
    // Ends every running probe call and waits for its thread (LprStopFindDevice
    // and LprCleanup do the same); harmless when none runs.
    int32_t (*LprStopProbe)();
    // The identity the camera gave at log-in into *atLogin, and the one it
    // gives now (one device request, bounded like LprGetVersion) into
    // *current; either may be null. 0 when every asked value was filled.
    int32_t (*LprGetIdentity)(LprHandle handle, LprIdentity* atLogin, LprIdentity* current);
};

constexpr uint32_t LPR_PROBE_MAX_ADDRESSES = 4096;
constexpr uint32_t LPR_PROBES_PER_SECOND = 500;
constexpr uint32_t LPR_PROBE_LISTEN_MS = 2000;
constexpr uint32_t LPR_PROBE_MAX_RUNNING = 4;

// How long a probe call of `count` addresses runs when it runs alone.
constexpr uint32_t LprProbeDurationMs(uint32_t count) {
    return count * 1000 / LPR_PROBES_PER_SECOND + LPR_PROBE_LISTEN_MS;
}

// The table in use. Until a table is installed this is the network SDK.
const LprSdk& LprSdkActive();

// Installs a table (tests: a fake); null restores the network SDK. Not to be
// called while any worker uses the SDK.
void LprSdkInstall(const LprSdk* table);

// The network implementation of the camera protocol.
const LprSdk& LprNetworkSdk();
