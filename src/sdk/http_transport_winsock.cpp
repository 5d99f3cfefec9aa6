// The transport on Windows: HTTP/1.1 of our own over non-blocking Winsock
// (tcp_stream_win.cpp), so that every bound is kept by our code and not by
// a library's timeouts (docs/protocol.md says why).
#include "sdk/camera_messages.h"
#include "sdk/http_transport.h"
#include "sdk/http_wire.h"
#include "sdk/tcp_stream_win.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// Large enough that loopback uploads are not limited by call overhead.
constexpr std::size_t kUploadPieceBytes = 1 << 20;

struct Prepared {
    std::string bytes;              // the head, and the body unless it is the file
    const FileBody* file = nullptr; // streamed after the head
};

Prepared Prepare(const HttpCall& call, bool probe, const std::string* authorization,
                 const CameraEndpoint& endpoint) {
    RequestHead head;
    head.method = call.method;
    head.path = call.path;
    head.host = endpoint.address + ":" + std::to_string(endpoint.port);
    head.headers = call.headers;
    if (!call.contentType.empty()) {
        head.headers.push_back("Content-Type: " + call.contentType);
    }
    if (authorization != nullptr) {
        head.headers.push_back("Authorization: " + *authorization);
    }
    // Every request of an upload's exchange goes on a connection of its own.
    head.keepAlive = !call.file;
    Prepared prepared;
    const bool isGet = std::strcmp(call.method, "GET") == 0;
    if (!isGet && !probe && call.file) {
        prepared.file = &*call.file;
        head.contentLength = call.file->size;
    } else if (!isGet && !probe) {
        head.contentLength = call.body.size();
    }
    prepared.bytes = MakeRequestHead(head);
    if (!isGet && !probe && !call.file) {
        prepared.bytes += call.body;
    }
    return prepared;
}

// Streams the file after the head; stops early when the camera answers.
HttpFailure SendFile(TcpStream& stream, const FileBody& file, const StreamWaits& waits,
                     bool& answered) {
    std::vector<char> piece(kUploadPieceBytes);
    for (uint64_t offset = 0; offset < file.size;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<uint64_t>(piece.size(), file.size - offset));
        const long long got = ReadFileAt(file.file, offset, piece.data(), want);
        if (got <= 0) {
            // Shorter than when it was hashed, or unreadable: never send a body
            // that does not match its Content-Length.
            return HttpFailure::FileUnreadable;
        }
        HttpFailure sent =
            stream.Send(std::string_view(piece.data(), static_cast<std::size_t>(got)), waits,
                        /*answerStops=*/true, answered);
        if (sent != HttpFailure::None || answered) {
            return sent;
        }
        offset += static_cast<uint64_t>(got);
    }
    return HttpFailure::None;
}

HttpFailure ReadAnswer(TcpStream& stream, AnswerReader& reader, const StreamWaits& waits) {
    std::string bytes;
    for (;;) {
        bool ended = false;
        bytes.clear();
        if (HttpFailure got = stream.Receive(bytes, waits, ended); got != HttpFailure::None) {
            return got;
        }
        switch (ended ? reader.End() : reader.Feed(bytes)) {
        case AnswerReader::Progress::NeedMore:
            continue;
        case AnswerReader::Progress::Done:
            return HttpFailure::None;
        case AnswerReader::Progress::Malformed:
            return HttpFailure::MalformedAnswer;
        case AnswerReader::Progress::TooLarge:
            return HttpFailure::AnswerTooLarge;
        case AnswerReader::Progress::Cut:
            return HttpFailure::ConnectionLost;
        }
    }
}

class WinsockConnection : public HttpConnection {
public:
    explicit WinsockConnection(const CameraEndpoint& endpoint) : endpoint_(endpoint) {}

    HttpAnswer Send(const HttpCall& call, bool probe, const std::string* authorization,
                    Clock::time_point deadline) override;

private:
    HttpAnswer Exchange(const HttpCall& call, const Prepared& request, const StreamWaits& waits,
                        bool& nothingCame);

    const CameraEndpoint& endpoint_;
    TcpStream stream_;
    bool reusable_ = false; // the last answer left the connection open for the next request
};

HttpAnswer WinsockConnection::Send(const HttpCall& call, bool probe,
                                   const std::string* authorization, Clock::time_point deadline) {
    const Prepared request = Prepare(call, probe, authorization, endpoint_);
    std::optional<LowSpeedWatch> speed;
    if (call.limits.lowSpeedSeconds > 0) {
        speed.emplace(call.limits.lowSpeedBytesPerSecond, call.limits.lowSpeedSeconds,
                      Clock::now());
    }
    const StreamWaits waits{deadline, call.cancel, speed ? &*speed : nullptr};
    const bool reused = reusable_ && stream_.IsOpen() && !call.file;
    bool nothingCame = false;
    HttpAnswer answer = Exchange(call, request, waits, nothingCame);
    // A kept-alive connection the camera closed meanwhile: once more on a
    // fresh one, as an HTTP library does (never for an upload, see
    // http_transport.h).
    if (reused && nothingCame && answer.failure == HttpFailure::ConnectionLost) {
        stream_.Close();
        answer = Exchange(call, request, waits, nothingCame);
    }
    return answer;
}

HttpAnswer WinsockConnection::Exchange(const HttpCall& call, const Prepared& request,
                                       const StreamWaits& waits, bool& nothingCame) {
    HttpAnswer answer;
    if (!reusable_ || !stream_.IsOpen() || call.file) {
        StreamWaits connecting = waits;
        connecting.deadline = std::min(
            waits.deadline, Clock::now() + std::chrono::milliseconds(call.limits.connectMs));
        connecting.speed = nullptr;
        answer.failure = stream_.Connect(endpoint_.address, endpoint_.port, connecting);
        if (answer.failure != HttpFailure::None) {
            return answer;
        }
    }
    reusable_ = false;
    bool answered = false;
    HttpFailure sent = stream_.Send(request.bytes, waits, request.file == nullptr, answered);
    if (sent == HttpFailure::None && request.file != nullptr) {
        sent = SendFile(stream_, *request.file, waits, answered);
    }
    if (sent != HttpFailure::None && sent != HttpFailure::ConnectionLost) {
        stream_.Close();
        answer.failure = sent;
        return answer;
    }
    // After a broken send the camera's answer may still be there to read: a
    // refusal before it took the whole body.
    AnswerReader reader(kMaxHeaderBytes, kMaxAnswerBytes);
    HttpFailure read = ReadAnswer(stream_, reader, waits);
    nothingCame = !reader.Started();
    answer.status = reader.Status();
    answer.authenticate = reader.Authenticate();
    answer.body = reader.TakeBody();
    answer.failure = sent != HttpFailure::None ? sent : read;
    reusable_ = answer.failure == HttpFailure::None && reader.KeepAlive() && !answered;
    if (!reusable_) {
        stream_.Close();
    }
    return answer;
}

} // namespace

void EnsureHttpInitialised() {
    EnsureWinsock();
}

std::unique_ptr<HttpConnection> OpenHttpConnection(const CameraEndpoint& endpoint) {
    return std::make_unique<WinsockConnection>(endpoint);
}

} // namespace lpr
