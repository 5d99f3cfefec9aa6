// One request of an exchange, sent through the platform's HTTP library
// (libcurl, or WinHTTP on Windows). The exchange itself, the Digest
// handshake and what an answer means, are the same on every platform
// (http_client.cpp).
#pragma once

#include "sdk/http_client.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace lpr {

struct HttpAnswer {
    HttpFailure failure = HttpFailure::None;
    long status = 0; // 0 when no status line was read
    std::string body;
    std::vector<std::string> authenticate; // the WWW-Authenticate values
};

// The requests of one exchange with one camera; a kept-alive connection is
// reused from one request to the next.
class HttpConnection {
public:
    virtual ~HttpConnection() = default;

    // Sends `call`, or with `probe` the same request line with an empty body
    // (Content-Length: 0), only to learn the challenge. Ends by `deadline`.
    // An upload (call.file) always goes on a fresh connection: a library
    // that re-sends a request on a broken reused one would repeat the
    // Authorization, and a camera refuses that as a replay.
    virtual HttpAnswer Send(const HttpCall& call, bool probe, const std::string* authorization,
                            std::chrono::steady_clock::time_point deadline) = 0;
};

// Null when the library cannot make one.
std::unique_ptr<HttpConnection> OpenHttpConnection(const CameraEndpoint& endpoint);

// Headers of one answer beyond this are a hostile or broken peer.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

} // namespace lpr
