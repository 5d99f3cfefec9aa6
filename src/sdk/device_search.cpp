#include "sdk/device_search.h"

#include "sdk/camera_messages.h"
#include "sdk/hello_reader.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// Room for a burst of hellos from a few hundred cameras answering at once.
constexpr int kReceiveBufferBytes = 4 << 20;

// 255.255.255.255, the broadcast address of every IPv4 interface that has
// one, and the loopback network's broadcast address; each once.
std::vector<in_addr_t> ProbeTargets() {
    std::set<in_addr_t> targets = {htonl(INADDR_BROADCAST), inet_addr("127.255.255.255")};
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
            if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET ||
                (it->ifa_flags & IFF_BROADCAST) == 0 || (it->ifa_flags & IFF_UP) == 0 ||
                it->ifa_broadaddr == nullptr) {
                continue;
            }
            targets.insert(
                reinterpret_cast<const sockaddr_in*>(it->ifa_broadaddr)->sin_addr.s_addr);
        }
        freeifaddrs(list);
    }
    return {targets.begin(), targets.end()};
}

void SendProbes(int sock, const std::string& probe, uint16_t port) {
    for (in_addr_t target : ProbeTargets()) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = target;
        // A network without a route for one target must not stop the others.
        (void)sendto(sock, probe.data(), probe.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to);
    }
}

struct SearchArgs {
    int sock;
    int wakeFd;
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
            SendProbes(args.sock, probe, args.port);
            nextProbe = now + std::chrono::milliseconds(kProbeIntervalMs);
        }
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextProbe - now);
        pollfd fds[2] = {{args.sock, POLLIN, 0}, {args.wakeFd, POLLIN, 0}};
        int ready = poll(fds, 2, static_cast<int>(std::max<long>(1, wait.count())));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            DrainHellos(args.sock, nonce, reported,
                        HelloSink{args.callback, args.userData, args.stop, args.dropped});
        }
    }
    close(args.sock);
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
    int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0) {
        return false;
    }
    int on = 1;
    int receiveBuffer = kReceiveBufferBytes;
    setsockopt(sock, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(sock, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 ||
        pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(sock);
        wakeFds_[0] = wakeFds_[1] = -1;
        return false;
    }
    stop_.store(false);
    dropped_.store(0);
    thread_ = std::thread(
        SearchLoop, SearchArgs{sock, wakeFds_[0], port, callback, userData, &stop_, &dropped_});
    return true;
}

void DeviceSearch::Stop() {
    std::thread running;
    int fds[2] = {-1, -1};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        stop_.store(true);
        char wake = 1;
        (void)write(wakeFds_[1], &wake, 1);
        if (thread_.get_id() == std::this_thread::get_id()) {
            return; // from the callback: the thread ends once the callback returns
        }
        running = std::move(thread_);
        fds[0] = wakeFds_[0];
        fds[1] = wakeFds_[1];
        wakeFds_[0] = wakeFds_[1] = -1;
    }
    // Joined without the lock, so a callback that calls Stop never deadlocks.
    running.join();
    close(fds[0]);
    close(fds[1]);
}

} // namespace lpr
