// One authenticated HTTP/1.1 exchange with a camera: an
// unauthenticated first request fetches the Digest challenge, the second
// carries the answer. Every exchange is bounded in time and in answer size.
#pragma once

#include "sdk/digest_auth.h"
#include "sdk/native_file.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lpr {

struct CameraEndpoint {
    std::string address; // dotted IPv4
    uint16_t port = 80;
    DigestCredentials credentials;
};

struct HttpLimits {
    long connectMs = 3000;
    long totalMs = 10000; // whole exchange, both requests
    // A transfer slower than this many bytes per second for lowSpeedSeconds
    // fails (0: no such limit).
    long lowSpeedBytesPerSecond = 0;
    long lowSpeedSeconds = 0;
};

// A request body streamed from an open file, `size` bytes from offset 0.
struct FileBody {
    NativeFile file{};
    uint64_t size = 0;
};

struct HttpCall {
    const char* method = "GET"; // "GET" or "POST"
    std::string path;
    std::string contentType;
    std::string body; // POST body unless `file` is set
    std::optional<FileBody> file;
    std::vector<std::string> headers;
    HttpLimits limits;
    const std::atomic<bool>* cancel = nullptr; // checked at least once a second
};

enum class HttpFailure {
    None,            // an HTTP answer arrived; see status
    CannotConnect,   // refused, unreachable, or no connection within the connect bound
    TimedOut,        // connected, but the answer did not come in time
    ConnectionLost,  // the peer closed or reset the connection mid-exchange
    AnswerTooLarge,  // body or headers over their cap
    MalformedAnswer, // not HTTP/1.x
    Cancelled,       // `cancel` was set
    FileUnreadable,  // the file body could not be read to its end
};

struct HttpResult {
    HttpFailure failure = HttpFailure::None;
    long status = 0;
    std::string body;
};

// The path part must start with '/'; the address must already be validated.
HttpResult PerformCameraCall(const CameraEndpoint& endpoint, const HttpCall& call);

// The HTTP library's global set-up, once per process; safe from any thread.
void EnsureHttpInitialised();

} // namespace lpr
