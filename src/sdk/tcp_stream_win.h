// One TCP connection over Winsock in non-blocking mode. Every wait is a
// select of at most 100 ms, so that the caller's deadline, its cancel flag
// and the low-speed rule are looked at by our own code ten times a second,
// whatever the system's socket timeouts do.
#pragma once

#include "sdk/http_client.h"
#include "sdk/low_speed_watch.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace lpr {

// What ends a wait besides readiness.
struct StreamWaits {
    std::chrono::steady_clock::time_point deadline;
    const std::atomic<bool>* cancel = nullptr;
    LowSpeedWatch* speed = nullptr; // null: no low-speed rule
};

class TcpStream {
public:
    TcpStream() = default;
    ~TcpStream() { Close(); }
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // CannotConnect when refused, unreachable or not connected by `waits.deadline`.
    HttpFailure Connect(const std::string& address, uint16_t port, const StreamWaits& waits);
    // Sends every byte. With `answerStops`, an answer arriving meanwhile ends
    // the sending early and sets `answered`: the peer spoke before it took
    // the whole body.
    HttpFailure Send(std::string_view bytes, const StreamWaits& waits, bool answerStops,
                     bool& answered);
    // Appends what arrives (at least one byte) to `into`; `ended` when the
    // peer closed its side instead.
    HttpFailure Receive(std::string& into, const StreamWaits& waits, bool& ended);

    bool IsOpen() const { return socket_ != kNoSocket; }
    void Close();

private:
    enum class Ready { Readable, Writable, Failed };
    HttpFailure Wait(bool forWrite, bool orReadable, const StreamWaits& waits, Ready& ready);

    static constexpr uintptr_t kNoSocket = ~uintptr_t{0}; // INVALID_SOCKET
    uintptr_t socket_ = kNoSocket;
};

// WSAStartup, once per process.
void EnsureWinsock();

} // namespace lpr
