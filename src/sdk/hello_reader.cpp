#include "sdk/hello_reader.h"

#include "sdk/camera_messages.h"

#include <random>

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

void DrainHellos(UdpSocket& socket, const std::string& nonce, ReportedCameras& reported,
                 const HelloSink& sink) {
    char buffer[kMaxHelloBytes + 1];
    while (std::optional<ReceivedDatagram> got = socket.Receive(buffer, sizeof buffer)) {
        if (got->tooLong || got->length > kMaxHelloBytes) {
            continue;
        }
        std::optional<Hello> hello = ParseHello(std::string_view(buffer, got->length), nonce);
        if (!hello) {
            continue;
        }
        auto key = std::make_pair(got->source, hello->port);
        if (reported.count(key) != 0) {
            continue;
        }
        if (sink.dropped != nullptr && reported.size() >= LPR_MAX_CAMERAS_PER_SEARCH) {
            sink.dropped->fetch_add(1);
            continue;
        }
        reported.insert(key);
        const std::string address = DottedText(got->source);
        sink.callback(0, address.c_str(), hello->port, 0, 0, 0, sink.userData);
        if (sink.stop->load()) {
            return;
        }
    }
}

} // namespace lpr
