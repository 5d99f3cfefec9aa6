#include "sdk/device_search.h"

#include "sdk/camera_messages.h"
#include "sdk/hello_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// Room for a burst of hellos from a few hundred cameras answering at once.
constexpr int kReceiveBufferBytes = 4 << 20;

// 255.255.255.255, the broadcast address of every IPv4 interface that has
// one, and the loopback network's broadcast address; each once.
std::vector<uint32_t> ProbeTargets() {
    std::set<uint32_t> targets = {NetworkOrder(0xffffffffu), NetworkOrder(0x7fffffffu)};
    for (uint32_t broadcast : InterfaceBroadcastAddresses()) {
        targets.insert(broadcast);
    }
    return {targets.begin(), targets.end()};
}

struct SearchArgs {
    std::unique_ptr<UdpSocket> socket;
    Waker* waker;
    uint16_t port;
    LprFindDeviceCallback callback;
    void* userData;
    const std::atomic<bool>* stop;
    std::atomic<uint32_t>* dropped;
};

void SearchLoop(SearchArgs args) {
    const std::string nonce = MakeSearchNonce();
    const std::string probe = MakeProbe(nonce);
    ReportedCameras reported;
    Clock::time_point nextProbe = Clock::now();
    while (!args.stop->load()) {
        Clock::time_point now = Clock::now();
        if (now >= nextProbe) {
            // A network without a route for one target must not stop the others.
            for (uint32_t target : ProbeTargets()) {
                args.socket->SendTo(target, args.port, probe);
            }
            nextProbe = now + std::chrono::milliseconds(kProbeIntervalMs);
        }
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextProbe - now);
        WaitResult ready = WaitForDatagram(*args.socket, *args.waker,
                                           static_cast<int>(std::max<long>(1, wait.count())));
        if (ready == WaitResult::Failed || ready == WaitResult::Woken) {
            break;
        }
        if (ready == WaitResult::Readable) {
            DrainHellos(*args.socket, nonce, reported,
                        HelloSink{args.callback, args.userData, args.stop, args.dropped});
        }
    }
}

} // namespace

uint16_t DiscoveryPortFromEnvironment() {
    const char* text = std::getenv("TOLVANE_DISCOVERY_PORT");
    if (text == nullptr || *text == '\0') {
        return kDefaultDiscoveryPort;
    }
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 65535) {
        return kDefaultDiscoveryPort;
    }
    return static_cast<uint16_t>(value);
}

DeviceSearch::~DeviceSearch() {
    Stop();
}

bool DeviceSearch::Start(LprFindDeviceCallback callback, void* userData, uint16_t port) {
    Stop();
    std::lock_guard<std::mutex> lock(mutex_);
    // Still set: a new search asked for from the old one's callback, which
    // cannot wait for its own thread.
    if (callback == nullptr || thread_.joinable()) {
        return false;
    }
    auto socket = std::make_unique<UdpSocket>();
    auto waker = std::make_unique<Waker>();
    if (!socket->Open(/*broadcast=*/true, kReceiveBufferBytes) || !waker->Usable()) {
        return false;
    }
    waker_ = std::move(waker);
    stop_.store(false);
    dropped_.store(0);
    thread_ = std::thread(SearchLoop, SearchArgs{std::move(socket), waker_.get(), port, callback,
                                                 userData, &stop_, &dropped_});
    return true;
}

void DeviceSearch::Stop() {
    std::thread running;
    std::unique_ptr<Waker> waker;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        stop_.store(true);
        waker_->Wake();
        if (thread_.get_id() == std::this_thread::get_id()) {
            return; // from the callback: the thread ends once the callback returns
        }
        running = std::move(thread_);
        waker = std::move(waker_);
    }
    // Joined without the lock, so a callback that calls Stop never deadlocks.
    running.join();
}

} // namespace lpr
