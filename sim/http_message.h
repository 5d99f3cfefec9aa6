#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace camsim {

struct HttpRequest {
    std::string method;
    std::string target;
    int minorVersion = 1; // HTTP/1.x
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<std::uint64_t> contentLength;
    bool chunked = false;
    bool keepAlive = true;
    bool expectContinue = false;

    // First header of that name (case-insensitive), or nothing.
    std::optional<std::string_view> header(std::string_view name) const;
    // The target without its query string.
    std::string_view path() const;
};

// Reads a request head (request line and headers) as bytes arrive.
class HttpHeadParser {
public:
    enum class Status { NeedMore, Done, Error };

    static constexpr std::size_t kMaxHeadSize = 16 * 1024;

    // Consumes bytes up to the end of the head; `consumed` tells how many of
    // `data` were taken (the rest belongs to the body).
    Status feed(const char* data, std::size_t size, std::size_t& consumed);

    HttpRequest& request() { return request_; }
    int errorStatus() const { return errorStatus_; }
    const std::string& errorMessage() const { return errorMessage_; }
    // True once any byte of a head has arrived.
    bool started() const { return !buffer_.empty(); }
    void reset();

private:
    Status parse();
    Status parseRequestLine(std::string_view requestLine);
    Status parseHeaderLines(std::string_view fields);
    Status readFraming();
    Status fail(int status, std::string message);

    std::string buffer_;
    HttpRequest request_;
    int errorStatus_ = 0;
    std::string errorMessage_;
};

struct HttpResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool close = false;
};

const char* reasonPhrase(int status);
std::string serializeResponse(const HttpResponse& response);
// A JSON response; error responses carry {"error":code,"message":text}.
HttpResponse jsonResponse(int status, std::string body);
HttpResponse errorResponse(int status, int code, const std::string& message);

} // namespace camsim
