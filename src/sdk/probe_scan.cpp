#include "sdk/probe_scan.h"

#include "sdk/camera_messages.h"
#include "sdk/hello_reader.h"
#include "sdk/udp_socket.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

namespace lpr {

using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kProbeSpacing = std::chrono::microseconds(1'000'000 / LPR_PROBES_PER_SECOND);
// Room for the hellos of a whole scan answering at once.
constexpr int kReceiveBufferBytes = 1 << 20;

} // namespace

Clock::time_point ProbePacer::Reserve() {
    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point slot = std::max(Clock::now(), next_);
    next_ = slot + kProbeSpacing;
    return slot;
}

struct ProbeScans::Scan {
    std::vector<uint32_t> addresses;
    LprFindDeviceCallback callback = nullptr;
    void* userData = nullptr;
    uint16_t port = 0;
    ProbePacer* pacer = nullptr;
    UdpSocket socket;
    Waker waker;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::thread thread;

    void AskToStop() {
        stop.store(true);
        waker.Wake();
    }

    // Reports answers until `deadline`; false once asked to stop.
    bool Listen(Clock::time_point deadline, const std::string& nonce, ReportedCameras& reported) {
        const HelloSink sink{callback, userData, &stop};
        while (!stop.load()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                return true;
            }
            const WaitResult ready = WaitForDatagram(socket, waker, static_cast<int>(left));
            if (ready == WaitResult::Failed || ready == WaitResult::Woken) {
                return false;
            }
            if (ready == WaitResult::Readable) {
                DrainHellos(socket, nonce, reported, sink);
            }
        }
        return false;
    }

    void Run() {
        const std::string nonce = MakeSearchNonce();
        const std::string probe = MakeProbe(nonce);
        ReportedCameras reported;
        bool going = true;
        for (size_t i = 0; going && i < addresses.size(); ++i) {
            going = Listen(pacer->Reserve(), nonce, reported);
            if (going) {
                // No SO_BROADCAST: a broadcast address is refused here, one
                // unreachable address does not end the scan.
                socket.SendTo(NetworkOrder(addresses[i]), port, probe);
            }
        }
        if (going) {
            Listen(Clock::now() + std::chrono::milliseconds(LPR_PROBE_LISTEN_MS), nonce, reported);
        }
        finished.store(true);
    }
};

ProbeScans::ProbeScans() = default;

ProbeScans::~ProbeScans() {
    StopAll();
}

void ProbeScans::ReapFinished() {
    for (auto it = scans_.begin(); it != scans_.end();) {
        if ((*it)->finished.load() && (*it)->thread.get_id() != std::this_thread::get_id()) {
            (*it)->thread.join(); // its loop has returned: at once
            it = scans_.erase(it);
        } else {
            ++it;
        }
    }
}

bool ProbeScans::Start(const uint32_t* addresses, uint32_t count, LprFindDeviceCallback callback,
                       void* userData, uint16_t port) {
    if (addresses == nullptr || count == 0 || count > LPR_PROBE_MAX_ADDRESSES ||
        callback == nullptr || port == 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ReapFinished();
    if (scans_.size() >= LPR_PROBE_MAX_RUNNING) {
        return false;
    }
    auto scan = std::make_unique<Scan>();
    scan->addresses.assign(addresses, addresses + count);
    scan->callback = callback;
    scan->userData = userData;
    scan->port = port;
    scan->pacer = &pacer_;
    if (!scan->waker.Usable() || !scan->socket.Open(/*broadcast=*/false, kReceiveBufferBytes)) {
        return false;
    }
    Scan* running = scan.get();
    scan->thread = std::thread([running] { running->Run(); });
    scans_.push_back(std::move(scan));
    return true;
}

void ProbeScans::StopAll() {
    std::list<std::unique_ptr<Scan>> stopping;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = scans_.begin(); it != scans_.end();) {
            (*it)->AskToStop();
            if ((*it)->thread.get_id() == std::this_thread::get_id()) {
                ++it; // from its own callback: it ends once the callback returns
            } else {
                stopping.splice(stopping.end(), scans_, it++);
            }
        }
    }
    // Joined without the lock, so that a callback that starts or stops
    // scans never deadlocks.
    for (auto& scan : stopping) {
        scan->thread.join();
    }
}

} // namespace lpr
