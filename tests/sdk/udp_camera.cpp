#include "udp_camera.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sdktest {

UdpCameras::UdpCameras(std::function<std::vector<Reply>(const std::string&)> replies)
    : replies_(std::move(replies)) {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(fd_, reinterpret_cast<sockaddr*>(&any), sizeof any);
    socklen_t length = sizeof any;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&any), &length);
    port_ = ntohs(any.sin_port);
    thread_ = std::thread(&UdpCameras::Loop, this);
}

UdpCameras::~UdpCameras() {
    stopping_.store(true);
    thread_.join();
    close(fd_);
}

std::vector<std::pair<std::string, long>> UdpCameras::Probes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return probes_;
}

void UdpCameras::Loop() {
    auto start = std::chrono::steady_clock::now();
    char buffer[2048];
    while (!stopping_.load()) {
        pollfd pfd{fd_, POLLIN, 0};
        if (poll(&pfd, 1, 20) <= 0) {
            continue;
        }
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t got = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                               &fromLength);
        if (got <= 0) {
            continue;
        }
        std::string probe(buffer, static_cast<std::size_t>(got));
        long at = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            probes_.emplace_back(probe, at);
        }
        auto parsed = nlohmann::json::parse(probe, nullptr, false);
        if (!parsed.is_object() || !parsed.contains("nonce") || !parsed["nonce"].is_string()) {
            continue;
        }
        int sent = 0;
        for (const Reply& reply : replies_(parsed["nonce"].get<std::string>())) {
            if (++sent % 64 == 0) {
                // A flood of thousands must not outrun a small receive buffer.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            int out = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockaddr_in self{};
            self.sin_family = AF_INET;
            inet_pton(AF_INET, reply.fromAddress.c_str(), &self.sin_addr);
            bind(out, reinterpret_cast<sockaddr*>(&self), sizeof self);
            sendto(out, reply.datagram.data(), reply.datagram.size(), 0,
                   reinterpret_cast<sockaddr*>(&from), sizeof from);
            close(out);
        }
    }
}

} // namespace sdktest
