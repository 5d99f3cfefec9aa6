// HTTP/1.1 on the wire for a transport that speaks it itself: the request
// head, and a reader that takes an answer's bytes as they arrive. Free of
// I/O, so that it is checked and fuzzed on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lpr {

struct RequestHead {
    const char* method = "GET";
    std::string path;
    std::string host; // "address:port"
    std::vector<std::string> headers;
    // Sent as Content-Length for every request but a GET without a body.
    uint64_t contentLength = 0;
    bool keepAlive = true;
};

std::string MakeRequestHead(const RequestHead& head);

// One answer, read incrementally. Interim 1xx answers are skipped; the body
// is delimited by Content-Length, by chunks, or by the connection's end.
class AnswerReader {
public:
    enum class Progress {
        NeedMore,  // feed more bytes (or report the end of the stream)
        Done,      // the whole answer is in
        Malformed, // not an HTTP/1.x answer
        TooLarge,  // head or body over its cap
        Cut,       // the stream ended before the answer did
    };

    AnswerReader(std::size_t maxHeadBytes, std::size_t maxBodyBytes)
        : maxHead_(maxHeadBytes), maxBody_(maxBodyBytes) {}

    // Takes bytes in arrival order; once the answer is complete, further
    // bytes are ignored.
    Progress Feed(std::string_view bytes);
    // The peer closed its side.
    Progress End();

    // Whether any byte of an answer arrived.
    bool Started() const { return started_; }
    long Status() const { return status_; }
    const std::string& Body() const { return body_; }
    std::string TakeBody() { return std::move(body_); }
    const std::vector<std::string>& Authenticate() const { return authenticate_; }
    // Whether the connection may carry the next request.
    bool KeepAlive() const { return keepAlive_ && progress_ == Progress::Done; }

private:
    enum class Stage { Head, Body, ChunkSize, ChunkData, ChunkDataEnd, Trailer, Finished };

    Progress Step();
    Progress ParseHead(std::string_view head);
    Progress ReadChunkSize();
    Progress AppendBody(std::string_view bytes);

    std::size_t maxHead_;
    std::size_t maxBody_;
    Stage stage_ = Stage::Head;
    Progress progress_ = Progress::NeedMore;
    std::string pending_;
    std::size_t headBytes_ = 0;
    bool started_ = false;
    long status_ = 0;
    std::vector<std::string> authenticate_;
    bool keepAlive_ = true;
    bool untilClose_ = false;
    uint64_t left_ = 0; // of the body, or of the current chunk
    std::string body_;
};

} // namespace lpr
