#include "sdk/udp_socket.h"

#include <cerrno>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lpr {

struct Waker::Native {
    int fds[2] = {-1, -1};
};

Waker::Waker() : native(std::make_unique<Native>()) {
    if (pipe2(native->fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        native->fds[0] = native->fds[1] = -1;
    }
}

Waker::~Waker() {
    for (int fd : native->fds) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool Waker::Usable() const {
    return native->fds[0] >= 0;
}

void Waker::Wake() {
    char wake = 1;
    (void)write(native->fds[1], &wake, 1);
}

struct UdpSocket::Native {
    int fd = -1;
};

UdpSocket::UdpSocket() : native(std::make_unique<Native>()) {}

UdpSocket::~UdpSocket() {
    if (native->fd >= 0) {
        close(native->fd);
    }
}

bool UdpSocket::Open(bool broadcast, int receiveBufferBytes) {
    native->fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (native->fd < 0) {
        return false;
    }
    int on = 1;
    if (broadcast) {
        setsockopt(native->fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    }
    setsockopt(native->fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof receiveBufferBytes);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    return bind(native->fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) == 0;
}

void UdpSocket::SendTo(uint32_t address, uint16_t port, std::string_view data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    (void)sendto(native->fd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
}

std::optional<ReceivedDatagram> UdpSocket::Receive(char* buffer, std::size_t size) {
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        // MSG_TRUNC gives the real length of an oversized one.
        ssize_t got = recvfrom(native->fd, buffer, size, MSG_DONTWAIT | MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt; // EAGAIN: nothing more waiting
        }
        if (from.sin_family != AF_INET) {
            continue;
        }
        const bool tooLong = static_cast<std::size_t>(got) > size;
        return ReceivedDatagram{tooLong ? 0 : static_cast<std::size_t>(got), tooLong,
                                from.sin_addr.s_addr};
    }
}

WaitResult WaitForDatagram(UdpSocket& socket, Waker& waker, int timeoutMs) {
    pollfd fds[2] = {{socket.native->fd, POLLIN, 0}, {waker.native->fds[0], POLLIN, 0}};
    int ready = poll(fds, 2, timeoutMs);
    if (ready < 0) {
        return errno == EINTR ? WaitResult::TimedOut : WaitResult::Failed;
    }
    if (fds[1].revents != 0) {
        return WaitResult::Woken;
    }
    return (fds[0].revents & POLLIN) != 0 ? WaitResult::Readable : WaitResult::TimedOut;
}

std::vector<uint32_t> InterfaceBroadcastAddresses() {
    std::vector<uint32_t> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return out;
    }
    for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET ||
            (it->ifa_flags & IFF_BROADCAST) == 0 || (it->ifa_flags & IFF_UP) == 0 ||
            it->ifa_broadaddr == nullptr) {
            continue;
        }
        out.push_back(reinterpret_cast<const sockaddr_in*>(it->ifa_broadaddr)->sin_addr.s_addr);
    }
    freeifaddrs(list);
    return out;
}

} // namespace lpr
