#include "sdk/http_wire.h"

#include <algorithm>
#include <cctype>

namespace lpr {
namespace {

// Longest chunk-size line accepted (hex digits and extensions).
constexpr std::size_t kMaxChunkLineBytes = 1024;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (EqualNoCase(text.substr(i, word.size()), word)) {
            return true;
        }
    }
    return false;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool ParseDecimal(std::string_view text, uint64_t& value) {
    if (text.empty() || text.size() > 18) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// "HTTP/1.x NNN reason"; 0 when it is not such a line.
long ParseStatusLine(std::string_view line, bool& http10) {
    if (line.size() < 12 || line.substr(0, 7) != "HTTP/1." || !std::isdigit(line[7]) ||
        line[8] != ' ' || (line.size() > 12 && line[12] != ' ')) {
        return 0;
    }
    long status = 0;
    for (char c : line.substr(9, 3)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        status = status * 10 + (c - '0');
    }
    http10 = line[7] == '0';
    return status >= 100 ? status : 0;
}

} // namespace

std::string MakeRequestHead(const RequestHead& head) {
    std::string text =
        std::string(head.method) + " " + head.path + " HTTP/1.1\r\nHost: " + head.host + "\r\n";
    for (const std::string& header : head.headers) {
        text += header + "\r\n";
    }
    if (std::string_view(head.method) != "GET" || head.contentLength > 0) {
        text += "Content-Length: " + std::to_string(head.contentLength) + "\r\n";
    }
    if (!head.keepAlive) {
        text += "Connection: close\r\n";
    }
    return text + "\r\n";
}

AnswerReader::Progress AnswerReader::Feed(std::string_view bytes) {
    if (progress_ != Progress::NeedMore) {
        return progress_;
    }
    started_ = started_ || !bytes.empty();
    pending_.append(bytes);
    // Each step takes one piece (a head, a chunk line, body bytes); stop
    // when one took nothing.
    for (;;) {
        const std::size_t before = pending_.size();
        const Stage stage = stage_;
        progress_ = Step();
        if (progress_ != Progress::NeedMore || pending_.empty() ||
            (pending_.size() == before && stage_ == stage)) {
            return progress_;
        }
    }
}

AnswerReader::Progress AnswerReader::End() {
    if (progress_ == Progress::NeedMore) {
        progress_ = stage_ == Stage::Body && untilClose_ ? Progress::Done : Progress::Cut;
    }
    return progress_;
}

AnswerReader::Progress AnswerReader::Step() {
    switch (stage_) {
    case Stage::Head: {
        const std::size_t end = pending_.find("\r\n\r\n");
        if (end == std::string::npos) {
            return headBytes_ + pending_.size() > maxHead_ ? Progress::TooLarge
                                                           : Progress::NeedMore;
        }
        headBytes_ += end + 4;
        if (headBytes_ > maxHead_) {
            return Progress::TooLarge;
        }
        const std::string head = pending_.substr(0, end);
        pending_.erase(0, end + 4);
        return ParseHead(head);
    }
    case Stage::Body: {
        if (untilClose_) {
            std::string bytes = std::move(pending_);
            pending_.clear();
            return AppendBody(bytes);
        }
        const std::size_t take =
            static_cast<std::size_t>(std::min<uint64_t>(left_, pending_.size()));
        Progress appended = AppendBody(std::string_view(pending_).substr(0, take));
        pending_.erase(0, take);
        left_ -= take;
        if (appended != Progress::NeedMore) {
            return appended;
        }
        if (left_ == 0) {
            stage_ = Stage::Finished;
            return Progress::Done;
        }
        return Progress::NeedMore;
    }
    case Stage::ChunkSize:
        return ReadChunkSize();
    case Stage::ChunkData: {
        const std::size_t take =
            static_cast<std::size_t>(std::min<uint64_t>(left_, pending_.size()));
        Progress appended = AppendBody(std::string_view(pending_).substr(0, take));
        pending_.erase(0, take);
        left_ -= take;
        if (left_ == 0) {
            stage_ = Stage::ChunkDataEnd;
        }
        return appended;
    }
    case Stage::ChunkDataEnd:
        if (pending_.size() < 2) {
            return Progress::NeedMore;
        }
        if (pending_.compare(0, 2, "\r\n") != 0) {
            return Progress::Malformed;
        }
        pending_.erase(0, 2);
        stage_ = Stage::ChunkSize;
        return Progress::NeedMore;
    case Stage::Trailer: {
        const std::size_t end = pending_.find("\r\n");
        if (end == std::string::npos) {
            return headBytes_ + pending_.size() > maxHead_ ? Progress::TooLarge
                                                           : Progress::NeedMore;
        }
        headBytes_ += end + 2;
        pending_.erase(0, end + 2);
        if (end == 0) {
            stage_ = Stage::Finished;
            return Progress::Done;
        }
        return headBytes_ > maxHead_ ? Progress::TooLarge : Progress::NeedMore;
    }
    case Stage::Finished:
        return Progress::Done;
    }
    return Progress::Malformed;
}

AnswerReader::Progress AnswerReader::ParseHead(std::string_view head) {
    std::size_t lineEnd = head.find("\r\n");
    bool http10 = false;
    status_ = ParseStatusLine(head.substr(0, lineEnd), http10);
    if (status_ == 0) {
        return Progress::Malformed;
    }
    authenticate_.clear();
    bool hasLength = false;
    bool chunked = false;
    bool closeSaid = false;
    bool keepAliveSaid = false;
    uint64_t length = 0;
    while (lineEnd != std::string_view::npos) {
        head.remove_prefix(lineEnd + 2);
        lineEnd = head.find("\r\n");
        const std::string_view line = head.substr(0, lineEnd);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            return Progress::Malformed;
        }
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = Trim(line.substr(colon + 1));
        if (EqualNoCase(name, "Content-Length")) {
            uint64_t parsed = 0;
            if (!ParseDecimal(value, parsed) || (hasLength && parsed != length)) {
                return Progress::Malformed;
            }
            hasLength = true;
            length = parsed;
        } else if (EqualNoCase(name, "Transfer-Encoding")) {
            if (!EqualNoCase(value, "chunked")) {
                return Progress::Malformed; // no other coding is asked for
            }
            chunked = true;
        } else if (EqualNoCase(name, "Connection")) {
            closeSaid = closeSaid || ContainsNoCase(value, "close");
            keepAliveSaid = keepAliveSaid || ContainsNoCase(value, "keep-alive");
        } else if (EqualNoCase(name, "WWW-Authenticate")) {
            authenticate_.emplace_back(value);
        }
    }
    if (status_ < 200) {
        return Progress::NeedMore; // interim: stay at the head
    }
    keepAlive_ = !closeSaid && (!http10 || keepAliveSaid);
    if (status_ == 204 || status_ == 304) {
        stage_ = Stage::Finished;
        return Progress::Done;
    }
    if (chunked) {
        stage_ = Stage::ChunkSize;
        return Progress::NeedMore;
    }
    if (!hasLength) {
        untilClose_ = true;
        keepAlive_ = false;
        stage_ = Stage::Body;
        return Progress::NeedMore;
    }
    left_ = length;
    stage_ = length == 0 ? Stage::Finished : Stage::Body;
    if (length > maxBody_) {
        return Progress::TooLarge;
    }
    return length == 0 ? Progress::Done : Progress::NeedMore;
}

AnswerReader::Progress AnswerReader::ReadChunkSize() {
    const std::size_t end = pending_.find("\r\n");
    if (end == std::string::npos) {
        return pending_.size() > kMaxChunkLineBytes ? Progress::Malformed : Progress::NeedMore;
    }
    std::string_view digits = std::string_view(pending_).substr(0, end);
    digits = Trim(digits.substr(0, digits.find(';')));
    if (digits.empty() || digits.size() > 15) {
        return Progress::Malformed;
    }
    uint64_t size = 0;
    for (char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : (std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        if (digit < 0 || digit > 15) {
            return Progress::Malformed;
        }
        size = size * 16 + static_cast<uint64_t>(digit);
    }
    pending_.erase(0, end + 2);
    left_ = size;
    stage_ = size == 0 ? Stage::Trailer : Stage::ChunkData;
    return size > maxBody_ ? Progress::TooLarge : Progress::NeedMore;
}

AnswerReader::Progress AnswerReader::AppendBody(std::string_view bytes) {
    if (body_.size() + bytes.size() > maxBody_) {
        return Progress::TooLarge;
    }
    body_.append(bytes);
    return Progress::NeedMore;
}

} // namespace lpr
