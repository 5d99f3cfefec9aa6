// The transport over WinHTTP, in its synchronous mode: every blocking call
// gets the time left to the exchange's deadline as its timeout, and a
// watcher closes the request handle when the caller cancels.
#include "sdk/camera_messages.h"
#include "sdk/http_transport.h"
#include "sdk/winhttp_request.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// Small enough that a peer reading slower than the low speed limit blocks a
// write for that limit's time, large enough for loopback speed.
constexpr std::size_t kUploadChunkBytes = 16 * 1024;
constexpr std::size_t kReadChunkBytes = 16 * 1024;

HttpFailure Classify(DWORD error, bool connected, const std::atomic<bool>* cancel) {
    if (cancel != nullptr && cancel->load()) {
        return HttpFailure::Cancelled;
    }
    switch (error) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return HttpFailure::CannotConnect;
    case ERROR_WINHTTP_TIMEOUT:
        return connected ? HttpFailure::TimedOut : HttpFailure::CannotConnect;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return HttpFailure::MalformedAnswer;
    case ERROR_WINHTTP_HEADER_SIZE_OVERFLOW:
        return HttpFailure::AnswerTooLarge;
    default:
        // Resets, closes, a cut answer.
        return HttpFailure::ConnectionLost;
    }
}

// Sends the file body after the head; the camera's early refusal, when it
// answered before taking everything, is read by the caller.
HttpFailure WriteFileBody(WinHttpRequest& request, const HttpCall& call,
                          Clock::time_point deadline) {
    const FileBody& file = *call.file;
    std::vector<char> chunk(kUploadChunkBytes);
    const long window = call.limits.lowSpeedSeconds * 1000;
    const uint64_t windowBytes =
        static_cast<uint64_t>(call.limits.lowSpeedBytesPerSecond) * call.limits.lowSpeedSeconds;
    Clock::time_point windowStart = Clock::now();
    uint64_t sentInWindow = 0;
    for (uint64_t offset = 0; offset < file.size;) {
        if (call.cancel != nullptr && call.cancel->load()) {
            return HttpFailure::Cancelled;
        }
        const std::size_t want =
            static_cast<std::size_t>(std::min<uint64_t>(chunk.size(), file.size - offset));
        const long long got = ReadFileAt(file.file, offset, chunk.data(), want);
        if (got <= 0) {
            // Shorter than when it was hashed, or unreadable: never send a body
            // that does not match its Content-Length.
            return HttpFailure::FileUnreadable;
        }
        long left = MillisecondsLeft(deadline);
        if (left <= 1 || !request.SetSendTimeout(window > 0 ? std::min(window, left) : left)) {
            return HttpFailure::TimedOut;
        }
        if (!request.Write(chunk.data(), static_cast<std::size_t>(got))) {
            return Classify(GetLastError(), true, call.cancel);
        }
        offset += static_cast<uint64_t>(got);
        sentInWindow += static_cast<uint64_t>(got);
        if (window > 0 && Clock::now() - windowStart >= std::chrono::milliseconds(window)) {
            if (sentInWindow < windowBytes) {
                return HttpFailure::TimedOut; // slower than the low speed limit
            }
            windowStart = Clock::now();
            sentInWindow = 0;
        }
    }
    return HttpFailure::None;
}

HttpFailure ReadBody(WinHttpRequest& request, Clock::time_point deadline, std::string& body,
                     const std::atomic<bool>* cancel) {
    std::vector<char> chunk(kReadChunkBytes);
    for (;;) {
        if (!request.SetReceiveTimeout(MillisecondsLeft(deadline))) {
            return HttpFailure::TimedOut;
        }
        std::size_t got = 0;
        if (!request.Read(chunk.data(), chunk.size(), got)) {
            return Classify(GetLastError(), true, cancel);
        }
        if (got == 0) {
            return HttpFailure::None;
        }
        if (body.size() + got > kMaxAnswerBytes) {
            return HttpFailure::AnswerTooLarge;
        }
        body.append(chunk.data(), got);
    }
}

class WinHttpConnection : public HttpConnection {
public:
    WinHttpConnection(WinHttpSession session, const CameraEndpoint& endpoint)
        : session_(std::move(session)), endpoint_(endpoint) {}

    HttpAnswer Send(const HttpCall& call, bool probe, const std::string* authorization,
                    Clock::time_point deadline) override;

private:
    WinHttpSession session_;
    const CameraEndpoint& endpoint_;
};

HttpAnswer WinHttpConnection::Send(const HttpCall& call, bool probe,
                                   const std::string* authorization, Clock::time_point deadline) {
    HttpAnswer answer;
    // An upload goes on a fresh connection: no request of its exchange
    // leaves one open to be reused.
    WinHttpRequest request(session_, call.method, call.path, /*keepAlive=*/!call.file);
    if (!request.Open(std::min(call.limits.connectMs, MillisecondsLeft(deadline)),
                      MillisecondsLeft(deadline))) {
        answer.failure = HttpFailure::CannotConnect;
        return answer;
    }
    std::vector<std::string> headers = call.headers;
    if (!call.contentType.empty()) {
        headers.push_back("Content-Type: " + call.contentType);
    }
    if (authorization != nullptr) {
        headers.push_back("Authorization: " + *authorization);
    }
    CancelWatch watch(request, call.cancel);
    const bool isGet = std::strcmp(call.method, "GET") == 0;
    const bool sendsFile = !isGet && !probe && call.file;
    const std::string& body = (isGet || probe || call.file) ? std::string() : call.body;
    const uint64_t total = sendsFile ? call.file->size : body.size();
    if (!request.SendHead(headers, body, total)) {
        answer.failure = Classify(GetLastError(), false, call.cancel);
        return answer;
    }
    HttpFailure sent = sendsFile ? WriteFileBody(request, call, deadline) : HttpFailure::None;
    if (sent != HttpFailure::None && sent != HttpFailure::ConnectionLost) {
        answer.failure = sent;
        return answer;
    }
    // As with libcurl's low speed limit: a peer that neither takes more of
    // the body nor answers within that time has stalled.
    long answerMs = MillisecondsLeft(deadline);
    if (sendsFile && call.limits.lowSpeedSeconds > 0) {
        answerMs = std::min(answerMs, call.limits.lowSpeedSeconds * 1000);
    }
    if (!request.SetReceiveTimeout(answerMs) || !request.ReceiveHead()) {
        answer.failure =
            sent != HttpFailure::None ? sent : Classify(GetLastError(), true, call.cancel);
        return answer;
    }
    answer.status = request.Status();
    answer.authenticate = request.AuthenticateHeaders();
    HttpFailure read = ReadBody(request, deadline, answer.body, call.cancel);
    answer.failure = sent != HttpFailure::None ? sent : read;
    return answer;
}

} // namespace

void EnsureHttpInitialised() {}

std::unique_ptr<HttpConnection> OpenHttpConnection(const CameraEndpoint& endpoint) {
    WinHttpSession session(endpoint.address, endpoint.port);
    if (!session.Usable()) {
        return nullptr;
    }
    return std::make_unique<WinHttpConnection>(std::move(session), endpoint);
}

} // namespace lpr
