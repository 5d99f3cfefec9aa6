#include "http_message.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <nlohmann/json.hpp>

namespace camsim {
namespace {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool containsTokenIgnoreCase(std::string_view list, std::string_view token) {
    std::size_t pos = 0;
    while (pos <= list.size()) {
        std::size_t comma = list.find(',', pos);
        if (comma == std::string_view::npos) {
            comma = list.size();
        }
        std::string_view item = list.substr(pos, comma - pos);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) {
            item.remove_prefix(1);
        }
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) {
            item.remove_suffix(1);
        }
        if (equalsIgnoreCase(item, token)) {
            return true;
        }
        pos = comma + 1;
    }
    return false;
}

bool isTokenChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

} // namespace

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoreCase(key, name)) {
            return std::string_view(value);
        }
    }
    return std::nullopt;
}

std::string_view HttpRequest::path() const {
    std::string_view t(target);
    return t.substr(0, t.find('?'));
}

void HttpHeadParser::reset() {
    buffer_.clear();
    request_ = HttpRequest{};
    errorStatus_ = 0;
    errorMessage_.clear();
}

HttpHeadParser::Status HttpHeadParser::feed(const char* data, std::size_t size,
                                            std::size_t& consumed) {
    consumed = 0;
    // Only the tail of what we hold can complete the "\r\n\r\n" terminator.
    std::size_t searchFrom = buffer_.size() >= 3 ? buffer_.size() - 3 : 0;
    std::size_t room = kMaxHeadSize - buffer_.size();
    std::size_t take = std::min(size, room);
    buffer_.append(data, take);
    std::size_t end = buffer_.find("\r\n\r\n", searchFrom);
    if (end == std::string::npos) {
        consumed = take;
        if (buffer_.size() >= kMaxHeadSize) {
            return fail(431, "request head too large");
        }
        return Status::NeedMore;
    }
    std::size_t headSize = end + 4;
    consumed = take - (buffer_.size() - headSize);
    buffer_.resize(headSize);
    return parse();
}

HttpHeadParser::Status HttpHeadParser::fail(int status, std::string message) {
    errorStatus_ = status;
    errorMessage_ = std::move(message);
    return Status::Error;
}

HttpHeadParser::Status HttpHeadParser::parse() {
    std::string_view head(buffer_);
    head.remove_suffix(4);
    const std::size_t lineEnd = head.find("\r\n");
    if (Status status = parseRequestLine(head.substr(0, lineEnd)); status != Status::Done) {
        return status;
    }
    const std::size_t fieldsStart = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
    if (Status status = parseHeaderLines(head.substr(fieldsStart)); status != Status::Done) {
        return status;
    }
    return readFraming();
}

HttpHeadParser::Status HttpHeadParser::parseRequestLine(std::string_view requestLine) {
    const std::size_t sp1 = requestLine.find(' ');
    const std::size_t sp2 = requestLine.rfind(' ');
    if (sp1 == std::string_view::npos || sp2 == sp1) {
        return fail(400, "malformed request line");
    }
    request_.method.assign(requestLine.substr(0, sp1));
    request_.target.assign(requestLine.substr(sp1 + 1, sp2 - sp1 - 1));
    const std::string_view version = requestLine.substr(sp2 + 1);
    if (request_.method.empty() ||
        !std::all_of(request_.method.begin(), request_.method.end(), isTokenChar) ||
        request_.target.empty() || request_.target.front() != '/' ||
        request_.target.find(' ') != std::string::npos) {
        return fail(400, "malformed request line");
    }
    if (version == "HTTP/1.1") {
        request_.minorVersion = 1;
    } else if (version == "HTTP/1.0") {
        request_.minorVersion = 0;
    } else {
        return fail(505, "only HTTP/1.0 and HTTP/1.1 are served");
    }
    return Status::Done;
}

HttpHeadParser::Status HttpHeadParser::parseHeaderLines(std::string_view fields) {
    std::size_t pos = 0;
    while (pos < fields.size()) {
        std::size_t next = fields.find("\r\n", pos);
        if (next == std::string_view::npos) {
            next = fields.size();
        }
        const std::string_view line = fields.substr(pos, next - pos);
        pos = next + 2;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 ||
            !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon),
                         isTokenChar)) {
            return fail(400, "malformed header line");
        }
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.remove_suffix(1);
        }
        request_.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    }
    return Status::Done;
}

// The headers that decide how the body is read and whether the connection
// stays open.
HttpHeadParser::Status HttpHeadParser::readFraming() {
    for (const auto& [name, value] : request_.headers) {
        if (equalsIgnoreCase(name, "Content-Length")) {
            std::uint64_t length = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (ec != std::errc{} || end != value.data() + value.size() || value.empty()) {
                return fail(400, "bad Content-Length");
            }
            if (request_.contentLength && *request_.contentLength != length) {
                return fail(400, "conflicting Content-Length headers");
            }
            request_.contentLength = length;
        } else if (equalsIgnoreCase(name, "Transfer-Encoding")) {
            request_.chunked = true;
        } else if (equalsIgnoreCase(name, "Expect")) {
            if (!equalsIgnoreCase(value, "100-continue")) {
                return fail(417, "unsupported expectation");
            }
            request_.expectContinue = true;
        }
    }
    auto connection = request_.header("Connection");
    if (request_.minorVersion == 0) {
        request_.keepAlive = connection && containsTokenIgnoreCase(*connection, "keep-alive");
    } else {
        request_.keepAlive = !(connection && containsTokenIgnoreCase(*connection, "close"));
    }
    return Status::Done;
}

const char* reasonPhrase(int status) {
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 202:
        return "Accepted";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 411:
        return "Length Required";
    case 413:
        return "Content Too Large";
    case 417:
        return "Expectation Failed";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Unknown";
    }
}

std::string serializeResponse(const HttpResponse& response) {
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " +
                      reasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers) {
        out += name + ": " + value + "\r\n";
    }
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    if (response.close) {
        out += "Connection: close\r\n";
    }
    out += "\r\n";
    out += response.body;
    return out;
}

HttpResponse jsonResponse(int status, std::string body) {
    HttpResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", "application/json");
    response.body = std::move(body);
    return response;
}

HttpResponse errorResponse(int status, int code, const std::string& message) {
    nlohmann::json body = {{"error", code}, {"message", message}};
    return jsonResponse(status,
                        body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

} // namespace camsim
