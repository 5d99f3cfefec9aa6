#pragma once

#include <asio.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace camsim {

class SimCamera;

inline constexpr std::size_t kMaxProbeSize = 512;

// The nonce of a valid probe; nothing for anything else (not JSON, too long,
// another op or protocol version, a nonce that is not 16 hex digits).
std::optional<std::string> parseProbe(const char* data, std::size_t size);

// Receives probes on a socket (one bound to 0.0.0.0 for broadcasts, or a
// camera's own) and has the given cameras answer them.
class ProbeReceiver {
public:
    ProbeReceiver(asio::ip::udp::socket& socket, std::vector<SimCamera*> cameras);
    void start();

private:
    void receive();

    asio::ip::udp::socket& socket_;
    std::vector<SimCamera*> cameras_;
    std::vector<char> buffer_;
    asio::ip::udp::endpoint sender_;
};

// Opens the shared discovery socket with address and port reuse, so that
// several simulators (parallel test runs) all hear the broadcast probes.
// Loopback only, it takes the probes sent to 127.255.255.255; otherwise it
// is bound to 0.0.0.0 and hears every broadcast. Port 0 takes a free port
// that no other simulator can be given as well.
std::unique_ptr<asio::ip::udp::socket>
openWildcardDiscoverySocket(asio::io_context& io, std::uint16_t port, bool loopbackOnly);

} // namespace camsim
