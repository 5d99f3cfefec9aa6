// A scripted camera SDK for tests.
//
// Usage:
//   VirtualClock clock;            // optional: calls are stamped with its time
//   FakeSdk sdk(&clock);           // installs itself as the active SDK table
//   sdk.Camera("10.0.0.5").version = {5, 1, 7, 2};
//   sdk.Camera("10.0.0.6").openFails = true;
//   sdk.Camera("10.0.0.7").versionReplies = {{-1}, {0, {5, 1, 6, 1}}};
//   sdk.Camera("10.0.0.7").transfers = {{.states = {2, 2, 4}, .error = 7}};
//   sdk.Camera("10.0.0.7").connectAfterPolls = {FakeSdk::kNever};
//   sdk.Camera("10.0.0.7").shellResults["./feeddog &"] = 1;
//   sdk.SetFoundDevices({{"10.0.0.5", 80}});
//   sdk.Camera("10.9.0.5").probePort = 8000; // answers LprProbeAddresses
//   ... run the code under test ...
//   sdk.Calls(), sdk.CallsOf("10.0.0.7"), sdk.OpenHandleCount()
// The destructor restores the network SDK. Only one FakeSdk may exist at a
// time. Every operation is thread-safe.
#pragma once

#include "sdk/lpr_sdk.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class VirtualClock;

class FakeSdk {
public:
    static constexpr int kNever = -1; // connectAfterPolls: the camera never comes back

    struct VersionReply {
        int32_t result = 0;              // what LprGetVersion returns
        int32_t parts[4] = {0, 0, 0, 0}; // written only when result is 0
    };

    // One image transfer, consumed by each LprUpdateStart in turn.
    struct Transfer {
        int32_t startResult = 0;        // -1: refused
        std::vector<int32_t> states{1}; // n-th LprUpdateGetState; the last repeats
        int32_t error = 0;              // LprUpdateGetError after a state of 4 or -1
        // A transfer seen done (or lost after acceptance, error 3) raises the
        // camera's fourth version number, as a flash would, unless this is set.
        bool keepsVersion = false;
    };

    struct CameraScript {
        bool openFails = false;
        // Replies of the n-th LprGetVersion; once used up, `version` is
        // returned with result 0, unless `versionFails` is set (result -1).
        std::deque<VersionReply> versionReplies;
        int32_t version[4] = {0, 0, 0, 0};
        bool versionFails = false;
        // Transfers in order; once used up, every transfer finishes at once.
        std::deque<Transfer> transfers;
        // Per restart in order: LprIsConnected reports connected on the
        // (k+1)-th poll after the restart (0: at once; kNever: never). Once
        // used up, the camera is connected at once. Before any restart the
        // camera counts as connected.
        std::deque<int> connectAfterPolls;
        // Result of RemoteShellExec per command; missing commands return 0.
        std::map<std::string, int32_t> shellResults;
        // A unicast probe is answered with this port; 0: no answer.
        uint32_t probePort = 0;
        // Identity of LprGetIdentity (the serial; "" gives the address). Set
        // serialAfterRestart to have another device answer after a restart.
        std::string serial;
        std::string serialAfterRestart;
    };

    struct Call {
        std::string op;                // "LprOpen", "LprGetVersion", "RemoteShellExec", ...
        std::string address;           // camera of the call ("" when none applies)
        std::vector<std::string> args; // arguments as text, without the handle
        LprHandle handle = nullptr;
        int64_t result = 0;
        std::thread::id thread;
        uint64_t time = 0; // virtual time of the calling thread (0 without a clock)
    };

    explicit FakeSdk(const VirtualClock* clock = nullptr);
    ~FakeSdk();
    FakeSdk(const FakeSdk&) = delete;
    FakeSdk& operator=(const FakeSdk&) = delete;

    // Script of a camera; create and adjust scripts before the code under
    // test runs (the reference stays valid for the fake's lifetime).
    CameraScript& Camera(const std::string& address);

    // Cameras that LprStartFindDevice reports, in order, on a thread of its own.
    void SetFoundDevices(std::vector<std::pair<std::string, uint32_t>> devices);
    // What LprGetSearchDropCount answers once a search has started (not recorded).
    void SetSearchDropCount(uint32_t dropped);

    // Called on the calling thread after each call has been recorded (no
    // lock held); e.g. to clear a run flag at a given point.
    void SetCallHook(std::function<void(const Call&)> hook);

    std::vector<Call> Calls() const;
    std::vector<Call> CallsOf(const std::string& address) const;
    // Names of the calls made for one camera, in order.
    std::vector<std::string> OpsOf(const std::string& address) const;
    int OpenHandleCount() const; // handles opened and not yet closed
    int CountOf(const std::string& op) const;

private:
    struct HandleState {
        std::string address;
        bool open = true;
        bool rebooting = false;
        int pollsLeft = 0; // connection polls until connected; kNever: never
        Transfer transfer;
        size_t stateIndex = 0;
        bool transferActive = false;
        bool flashed = false; // this transfer has raised the camera's version
        std::string loginSerial;
        bool hasTarget = false; // the image had a valid header: a flash ends on its target
        int32_t target[4] = {0, 0, 0, 0};
    };

    static const LprSdk kTable;
    static FakeSdk* Instance();

    void Record(Call call);
    HandleState* Handle(LprHandle handle); // locked by the caller

    // Table entries.
    static int32_t Setup();
    static int32_t Cleanup();
    static int32_t StartFindDevice(LprFindDeviceCallback callback, void* userData);
    static int32_t StopFindDevice();
    static LprHandle Open(const char* address, uint32_t port, const char* user,
                          const char* password);
    static int32_t Close(LprHandle handle);
    static int32_t IsConnected(LprHandle handle, uint8_t* status);
    static int32_t GetVersion(LprHandle handle, int32_t* v1, int32_t* v2, int32_t* v3, int32_t* v4);
    static int32_t UpdateStart(LprHandle handle, const char* imagePath);
    static int32_t UpdateGetState(LprHandle handle);
    static int32_t UpdateGetError();
    static int32_t Reboot(LprHandle handle);
    static int32_t ShellExec(const char* address, const char* command);
    static uint32_t GetSearchDropCount();
    static int32_t ProbeAddresses(const uint32_t* addresses, uint32_t count,
                                  LprFindDeviceCallback callback, void* userData);
    static int32_t StopProbe();
    static int32_t GetIdentity(LprHandle handle, LprIdentity* atLogin, LprIdentity* current);

    const VirtualClock* m_clock;
    mutable std::mutex m_mutex;
    std::map<std::string, CameraScript> m_cameras;
    std::map<uintptr_t, HandleState> m_handles;
    uintptr_t m_nextHandle = 0x1000;
    std::vector<Call> m_calls;
    std::function<void(const Call&)> m_hook;
    std::vector<std::pair<std::string, uint32_t>> m_found;
    uint32_t m_dropScript = 0;
    uint32_t m_dropped = 0;   // 0 until a search starts
    std::mutex m_searchMutex; // serialises start and stop of the search thread
    std::thread m_search;
    std::thread m_probe; // under m_searchMutex too
};
