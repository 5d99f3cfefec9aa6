#include "discovery.h"

#include "sim_camera.h"

#include <cctype>
#include <nlohmann/json.hpp>
#include <sys/socket.h>

namespace camsim {

std::optional<std::string> parseProbe(const char* data, std::size_t size) {
    if (size == 0 || size > kMaxProbeSize) {
        return std::nullopt;
    }
    nlohmann::json probe = nlohmann::json::parse(data, data + size, nullptr, false);
    if (probe.is_discarded() || !probe.is_object()) {
        return std::nullopt;
    }
    auto op = probe.find("op");
    auto v = probe.find("v");
    auto nonce = probe.find("nonce");
    if (op == probe.end() || *op != "probe" || v == probe.end() || !v->is_number_integer() ||
        *v != 1 || nonce == probe.end() || !nonce->is_string()) {
        return std::nullopt;
    }
    std::string text = nonce->get<std::string>();
    if (text.size() != 16) {
        return std::nullopt;
    }
    for (unsigned char c : text) {
        if (std::isxdigit(c) == 0) {
            return std::nullopt;
        }
    }
    return text;
}

ProbeReceiver::ProbeReceiver(asio::ip::udp::socket& socket, std::vector<SimCamera*> cameras)
    : socket_(socket), cameras_(std::move(cameras)), buffer_(kMaxProbeSize + 1) {}

void ProbeReceiver::start() {
    receive();
}

void ProbeReceiver::receive() {
    socket_.async_receive_from(asio::buffer(buffer_), sender_,
                               [this](std::error_code ec, std::size_t n) {
                                   if (ec == asio::error::operation_aborted || !socket_.is_open()) {
                                       return;
                                   }
                                   if (!ec) {
                                       // A datagram that filled the buffer was longer than a probe
                                       // may be.
                                       if (auto nonce = parseProbe(buffer_.data(), n)) {
                                           for (SimCamera* camera : cameras_) {
                                               camera->answerProbe(*nonce, sender_);
                                           }
                                       }
                                   }
                                   receive();
                               });
}

std::unique_ptr<asio::ip::udp::socket>
openWildcardDiscoverySocket(asio::io_context& io, std::uint16_t port, bool loopbackOnly) {
    const asio::ip::address_v4 address =
        loopbackOnly ? asio::ip::make_address_v4("127.255.255.255") : asio::ip::address_v4::any();
    auto socket = std::make_unique<asio::ip::udp::socket>(io);
    socket->open(asio::ip::udp::v4());
    const auto allowReuse = [&socket] {
        socket->set_option(asio::socket_base::reuse_address(true));
        int one = 1;
        if (::setsockopt(socket->native_handle(), SOL_SOCKET, SO_REUSEPORT, &one, sizeof one) !=
            0) {
            throw std::system_error(errno, std::generic_category(), "SO_REUSEPORT");
        }
    };
    if (port == 0) {
        // Bound before reuse is allowed, the system hands out a port no
        // other socket holds, not even one that allows reuse: another
        // simulator asking for a free port never gets this one. Reuse is
        // allowed afterwards so that the cameras' own sockets can share it.
        socket->bind(asio::ip::udp::endpoint(address, 0));
        allowReuse();
        return socket;
    }
    allowReuse();
    socket->bind(asio::ip::udp::endpoint(address, port));
    return socket;
}

} // namespace camsim
