// The discovery datagrams through the platform's sockets (POSIX, or Winsock
// on Windows). Addresses are IPv4 in network byte order, as they travel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lpr {

// Wakes a thread waiting in WaitForDatagram from another thread.
class Waker {
public:
    Waker();
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;

    bool Usable() const;
    void Wake();

    struct Native;
    std::unique_ptr<Native> native;
};

struct ReceivedDatagram {
    std::size_t length = 0; // bytes in the buffer
    bool tooLong = false;   // longer than the buffer: its content is not to be read
    uint32_t source = 0;
};

class UdpSocket {
public:
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Bound to 0.0.0.0 on an ephemeral port. Without `broadcast` the system
    // refuses to send to a broadcast address.
    bool Open(bool broadcast, int receiveBufferBytes);

    // One datagram; a target the network cannot reach is not an error here.
    void SendTo(uint32_t address, uint16_t port, std::string_view data);

    // The next waiting datagram; nothing when none waits.
    std::optional<ReceivedDatagram> Receive(char* buffer, std::size_t size);

    struct Native;
    std::unique_ptr<Native> native;
};

enum class WaitResult { Readable, Woken, TimedOut, Failed };

// Until a datagram waits on `socket`, `waker` is woken, or `timeoutMs` passed.
WaitResult WaitForDatagram(UdpSocket& socket, Waker& waker, int timeoutMs);

// The broadcast address of every IPv4 interface that is up and has one.
std::vector<uint32_t> InterfaceBroadcastAddresses();

// Network order from host order, and dotted text of a network-order address.
uint32_t NetworkOrder(uint32_t hostOrder);
std::string DottedText(uint32_t address);

} // namespace lpr
