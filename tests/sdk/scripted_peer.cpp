#include "scripted_peer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/evp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace sdktest {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

const char* Reason(int status) {
    switch (status) {
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
    case 409:
        return "Conflict";
    default:
        return "Status";
    }
}

} // namespace

std::string SeenRequest::Header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

bool PeerConnection::Fill() {
    if (fd_ < 0) {
        return false;
    }
    char chunk[1 << 16];
    while (!stopping_.load()) {
        pollfd pfd{fd_, POLLIN, 0};
        int ready = poll(&pfd, 1, 50);
        if (ready == 0) {
            continue;
        }
        ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
        if (got <= 0) {
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
    return false;
}

bool PeerConnection::ReadRequest(SeenRequest& out, uint64_t cutAfterBodyBytes) {
    out = SeenRequest{};
    std::size_t end;
    while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
        if (buffer_.size() > 65536 || !Fill()) {
            return false;
        }
    }
    std::string head = buffer_.substr(0, end);
    buffer_.erase(0, end + 4);
    std::size_t lineEnd = head.find("\r\n");
    std::string requestLine = head.substr(0, lineEnd);
    std::size_t sp1 = requestLine.find(' ');
    std::size_t sp2 = requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) {
        return false;
    }
    out.method = requestLine.substr(0, sp1);
    out.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    std::size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        std::size_t next = head.find("\r\n", pos);
        if (next == std::string::npos) {
            next = head.size();
        }
        std::string line = head.substr(pos, next - pos);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            out.headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
        }
        pos = next + 2;
    }
    uint64_t length = 0;
    if (!out.Header("content-length").empty()) {
        length = std::stoull(out.Header("content-length"));
    }
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
    bool complete = true;
    while (out.bodyBytes < length) {
        if (buffer_.empty() && !Fill()) {
            complete = false;
            break;
        }
        uint64_t take = std::min<uint64_t>(buffer_.size(), length - out.bodyBytes);
        take = std::min<uint64_t>(take,
                                  cutAfterBodyBytes - std::min(out.bodyBytes, cutAfterBodyBytes));
        EVP_DigestUpdate(ctx, buffer_.data(), take);
        if (out.body.size() < 65536) {
            out.body.append(buffer_, 0, std::min<uint64_t>(take, 65536 - out.body.size()));
        }
        buffer_.erase(0, take);
        out.bodyBytes += take;
        if (out.bodyBytes >= cutAfterBodyBytes) {
            complete = false; // the handler decides: close, or stall

            break;
        }
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(ctx, digest, &size);
    EVP_MD_CTX_free(ctx);
    static const char kHex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < size; ++i) {
        out.bodySha256.push_back(kHex[digest[i] >> 4]);
        out.bodySha256.push_back(kHex[digest[i] & 15]);
    }
    return complete;
}

bool PeerConnection::Send(std::string_view bytes) {
    if (fd_ < 0) {
        return false;
    }
    while (!bytes.empty()) {
        ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void PeerConnection::SendByteByByte(std::string_view bytes, std::chrono::milliseconds gap) {
    for (char c : bytes) {
        if (stopping_.load() || send(fd_, &c, 1, MSG_NOSIGNAL) != 1) {
            return;
        }
        std::this_thread::sleep_for(gap);
    }
}

void PeerConnection::HoldSilently() {
    char sink[4096];
    while (!stopping_.load()) {
        pollfd pfd{fd_, POLLIN, 0};
        if (poll(&pfd, 1, 50) > 0 && recv(fd_, sink, sizeof sink, 0) <= 0) {
            return;
        }
    }
}

void PeerConnection::Stall() {
    while (!stopping_.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void PeerConnection::Close() {
    if (fd_ >= 0) {
        peer_.CloseConnection(fd_);
        fd_ = -1;
    }
}

void ScriptedPeer::CloseConnection(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = fds_.begin(); it != fds_.end(); ++it) {
        if (*it == fd) {
            fds_.erase(it);
            close(fd);
            return;
        }
    }
}

ScriptedPeer::ScriptedPeer(Handler handler, const std::string& address)
    : handler_(std::move(handler)), address_(address) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listenFd_, 64) != 0) {
        close(listenFd_);
        throw std::runtime_error("scripted peer cannot listen on " + address);
    }
    socklen_t length = sizeof addr;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread(&ScriptedPeer::AcceptLoop, this);
}

ScriptedPeer::~ScriptedPeer() {
    stopping_.store(true);
    acceptor_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : fds_) {
            shutdown(fd, SHUT_RDWR);
        }
        threads.swap(threads_);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int fd : fds_) {
        close(fd); // connections whose handlers did not close them
    }
    close(listenFd_);
}

void ScriptedPeer::AcceptLoop() {
    while (!stopping_.load()) {
        pollfd pfd{listenFd_, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0) {
            continue;
        }
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connections_.fetch_add(1);
        std::lock_guard<std::mutex> lock(mutex_);
        fds_.push_back(fd);
        threads_.emplace_back([this, fd] {
            PeerConnection connection(fd, stopping_, *this);
            handler_(connection);
            connection.Close();
        });
    }
}

std::string HttpAnswer(int status, std::string_view body, const std::vector<std::string>& extra) {
    std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    for (const std::string& header : extra) {
        answer += header + "\r\n";
    }
    answer += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
              "\r\n\r\n";
    answer += body;
    return answer;
}

uint16_t RefusingPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd); // bound, never listened: the port refuses until someone else takes it
    return ntohs(addr.sin_port);
}

} // namespace sdktest
