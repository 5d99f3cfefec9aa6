// Winsock: a socket signals readiness through an event object, so that one
// wait covers the socket and the waker.
#include "sdk/udp_socket.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <mutex>

namespace lpr {
namespace {

// mingw's headers lack it: _WSAIOW(IOC_VENDOR, 12).
#ifndef SIO_UDP_CONNRESET
constexpr DWORD SIO_UDP_CONNRESET = IOC_IN | IOC_VENDOR | 12;
#endif

void EnsureWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

} // namespace

struct Waker::Native {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

Waker::Waker() : native(std::make_unique<Native>()) {}

Waker::~Waker() {
    if (native->event != nullptr) {
        CloseHandle(native->event);
    }
}

bool Waker::Usable() const {
    return native->event != nullptr;
}

void Waker::Wake() {
    SetEvent(native->event);
}

struct UdpSocket::Native {
    SOCKET sock = INVALID_SOCKET;
    WSAEVENT readable = WSA_INVALID_EVENT;
};

UdpSocket::UdpSocket() : native(std::make_unique<Native>()) {}

UdpSocket::~UdpSocket() {
    if (native->sock != INVALID_SOCKET) {
        closesocket(native->sock);
    }
    if (native->readable != WSA_INVALID_EVENT) {
        WSACloseEvent(native->readable);
    }
}

bool UdpSocket::Open(bool broadcast, int receiveBufferBytes) {
    EnsureWinsock();
    native->sock = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0,
                              WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    native->readable = WSACreateEvent();
    if (native->sock == INVALID_SOCKET || native->readable == WSA_INVALID_EVENT) {
        return false;
    }
    BOOL on = TRUE;
    if (broadcast) {
        setsockopt(native->sock, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                   sizeof on);
    }
    setsockopt(native->sock, SOL_SOCKET, SO_RCVBUF,
               reinterpret_cast<const char*>(&receiveBufferBytes), sizeof receiveBufferBytes);
    // Windows reports a probe's ICMP "port unreachable" as a reset on the
    // next receive; for discovery an address without a camera is no error.
    BOOL reportResets = FALSE;
    DWORD returned = 0;
    WSAIoctl(native->sock, SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0,
             &returned, nullptr, nullptr);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    return bind(native->sock, reinterpret_cast<const sockaddr*>(&any), sizeof any) == 0 &&
           WSAEventSelect(native->sock, native->readable, FD_READ) == 0;
}

void UdpSocket::SendTo(uint32_t address, uint16_t port, std::string_view data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    (void)sendto(native->sock, data.data(), static_cast<int>(data.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::optional<ReceivedDatagram> UdpSocket::Receive(char* buffer, std::size_t size) {
    for (;;) {
        sockaddr_in from{};
        int fromLength = sizeof from;
        int got = recvfrom(native->sock, buffer, static_cast<int>(size), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got == SOCKET_ERROR) {
            switch (WSAGetLastError()) {
            case WSAEMSGSIZE: // the rest of an oversized datagram is gone already
                return ReceivedDatagram{0, true, from.sin_addr.s_addr};
            case WSAECONNRESET:
            case WSAEINTR:
                continue;
            default:
                return std::nullopt; // WSAEWOULDBLOCK: nothing more waiting
            }
        }
        if (from.sin_family != AF_INET) {
            continue;
        }
        return ReceivedDatagram{static_cast<std::size_t>(got), false, from.sin_addr.s_addr};
    }
}

WaitResult WaitForDatagram(UdpSocket& socket, Waker& waker, int timeoutMs) {
    HANDLE events[2] = {socket.native->readable, waker.native->event};
    DWORD which = WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(timeoutMs));
    switch (which) {
    case WAIT_OBJECT_0:
        // Reset before the reader drains the socket: a datagram that arrives
        // after its last receive signals the event anew.
        WSAResetEvent(socket.native->readable);
        return WaitResult::Readable;
    case WAIT_OBJECT_0 + 1:
        return WaitResult::Woken;
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    default:
        return WaitResult::Failed;
    }
}

std::vector<uint32_t> InterfaceBroadcastAddresses() {
    std::vector<uint32_t> out;
    ULONG bytes = 16 * 1024;
    std::vector<unsigned char> storage;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int tries = 0; tries < 3 && status == ERROR_BUFFER_OVERFLOW; ++tries) {
        storage.resize(bytes);
        status = GetAdaptersAddresses(
            AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
            nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(storage.data()), &bytes);
    }
    if (status != NO_ERROR) {
        return out;
    }
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(storage.data());
         adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
            continue; // the loopback network's broadcast address is probed anyway
        }
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
            const ULONG prefix = unicast->OnLinkPrefixLength;
            if (address == nullptr || address->sin_family != AF_INET || prefix == 0 ||
                prefix >= 31) {
                continue; // point-to-point links have no broadcast address
            }
            const uint32_t host = ~uint32_t{0} >> prefix;
            out.push_back(address->sin_addr.s_addr | htonl(host));
        }
    }
    return out;
}

} // namespace lpr
