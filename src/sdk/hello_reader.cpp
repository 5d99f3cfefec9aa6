#include "sdk/hello_reader.h"

#include "sdk/camera_messages.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>

namespace lpr {

std::string MakeSearchNonce() {
    std::random_device device;
    std::mt19937_64 generator((static_cast<uint64_t>(device()) << 32) ^ device());
    uint64_t value = generator();
    static const char kDigits[] = "0123456789abcdef";
    std::string nonce(16, '0');
    for (int i = 15; i >= 0; --i) {
        nonce[static_cast<std::size_t>(i)] = kDigits[value & 0xf];
        value >>= 4;
    }
    return nonce;
}

void DrainHellos(int sock, const std::string& nonce, ReportedCameras& reported,
                 const HelloSink& sink) {
    char buffer[kMaxHelloBytes + 1];
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t got = recvfrom(sock, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return; // EAGAIN: nothing more waiting
        }
        if (static_cast<std::size_t>(got) > kMaxHelloBytes || from.sin_family != AF_INET) {
            continue; // MSG_TRUNC gives the real length of an oversized one
        }
        std::optional<Hello> hello =
            ParseHello(std::string_view(buffer, static_cast<std::size_t>(got)), nonce);
        if (!hello) {
            continue;
        }
        auto key = std::make_pair(static_cast<uint32_t>(from.sin_addr.s_addr), hello->port);
        if (reported.count(key) != 0) {
            continue;
        }
        if (sink.dropped != nullptr && reported.size() >= LPR_MAX_CAMERAS_PER_SEARCH) {
            sink.dropped->fetch_add(1);
            continue;
        }
        reported.insert(key);
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
        sink.callback(0, address, hello->port, 0, 0, 0, sink.userData);
        if (sink.stop->load()) {
            return;
        }
    }
}

} // namespace lpr
