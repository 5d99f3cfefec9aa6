#include "sdk/probe_scan.h"

#include "sdk/camera_messages.h"
#include "sdk/hello_reader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

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
    int sock = -1;
    int wakeFds[2] = {-1, -1};
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::thread thread;

    ~Scan() {
        for (int fd : {sock, wakeFds[0], wakeFds[1]}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    void AskToStop() {
        stop.store(true);
        char wake = 1;
        (void)write(wakeFds[1], &wake, 1);
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
            pollfd fds[2] = {{sock, POLLIN, 0}, {wakeFds[0], POLLIN, 0}};
            const int ready = poll(fds, 2, static_cast<int>(left));
            if ((ready < 0 && errno != EINTR) || fds[1].revents != 0) {
                return false;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                DrainHellos(sock, nonce, reported, sink);
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
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_port = htons(port);
                to.sin_addr.s_addr = htonl(addresses[i]);
                // No SO_BROADCAST: a broadcast address is refused here, one
                // unreachable address does not end the scan.
                (void)sendto(sock, probe.data(), probe.size(), 0,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
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
    scan->sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (scan->sock < 0 || pipe2(scan->wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    int receiveBuffer = kReceiveBufferBytes;
    setsockopt(scan->sock, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(scan->sock, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
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
