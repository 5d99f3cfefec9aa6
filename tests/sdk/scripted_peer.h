// A TCP peer on loopback for SDK tests: each accepted connection runs a
// test-given handler on its own thread, which can answer as a camera would,
// or stall, drip bytes, cut the connection or send garbage.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sdktest {

struct SeenRequest {
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers; // names in lower case
    uint64_t bodyBytes = 0;
    std::string body;       // the first 64 KiB
    std::string bodySha256; // hex, of the whole body
    std::string Header(const std::string& lowerName) const;
};

class ScriptedPeer;

class PeerConnection {
public:
    PeerConnection(int fd, const std::atomic<bool>& stopping, ScriptedPeer& peer)
        : fd_(fd), stopping_(stopping), peer_(peer) {}

    // One request with its body (Content-Length). With `cutAfterBodyBytes`
    // reading stops once that many body bytes arrived, and reports false.
    bool ReadRequest(SeenRequest& out, uint64_t cutAfterBodyBytes = UINT64_MAX);
    bool Send(std::string_view bytes);
    void SendByteByByte(std::string_view bytes, std::chrono::milliseconds gap);
    // Keeps the connection open without a word until the peer stops.
    void HoldSilently();
    // Neither reads nor writes until the peer stops: the sender's window fills.
    void Stall();
    // Closes the socket at once; data still arriving then gets a reset.
    void Close();
    bool Stopping() const { return stopping_.load(); }

private:
    bool Fill(); // more bytes into buffer_; false on close, error or stop

    int fd_;
    const std::atomic<bool>& stopping_;
    ScriptedPeer& peer_;
    std::string buffer_;
};

class ScriptedPeer {
public:
    using Handler = std::function<void(PeerConnection&)>;
    explicit ScriptedPeer(Handler handler, const std::string& address = "127.0.0.1");
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    uint16_t Port() const { return port_; }
    const std::string& Address() const { return address_; }
    int Connections() const { return connections_.load(); }

private:
    friend class PeerConnection;
    void AcceptLoop();
    void CloseConnection(int fd);

    Handler handler_;
    std::string address_;
    uint16_t port_ = 0;
    int listenFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<int> fds_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

// A complete HTTP/1.1 answer with Content-Length.
std::string HttpAnswer(int status, std::string_view body,
                       const std::vector<std::string>& extraHeaders = {});

// A free TCP port on 127.0.0.1 that nothing listens on (connections are refused).
uint16_t RefusingPort();

} // namespace sdktest
