// A discovery responder for search tests: listens for probes on its own
// discovery port and answers each with test-given datagrams, each sent from
// a chosen loopback address, as cameras on the loopback network would.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sdktest {

struct Reply {
    std::string fromAddress; // a 127.x.y.z address
    std::string datagram;
};

class UdpCameras {
public:
    // `replies` turns a probe's nonce into the datagrams that answer it.
    explicit UdpCameras(std::function<std::vector<Reply>(const std::string& nonce)> replies);
    ~UdpCameras();
    UdpCameras(const UdpCameras&) = delete;
    UdpCameras& operator=(const UdpCameras&) = delete;

    uint16_t Port() const { return port_; }
    // Every probe received, in order, with its arrival time in ms since start.
    std::vector<std::pair<std::string, long>> Probes();

private:
    void Loop();

    std::function<std::vector<Reply>(const std::string&)> replies_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::pair<std::string, long>> probes_;
    std::thread thread_;
};

} // namespace sdktest
