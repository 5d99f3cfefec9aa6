#include "sdk/tcp_stream_win.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <mutex>

namespace lpr {
namespace {

using Clock = std::chrono::steady_clock;

// The longest single wait: how soon a cancel or a stall is seen.
constexpr auto kWaitSlice = std::chrono::milliseconds(100);
// One receive takes at most this much.
constexpr int kReceiveBytes = 64 * 1024;

SOCKET Native(uintptr_t socket) {
    return static_cast<SOCKET>(socket);
}

bool WouldBlock(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS || error == WSAEINTR;
}

} // namespace

void EnsureWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

void TcpStream::Close() {
    if (socket_ != kNoSocket) {
        closesocket(Native(socket_));
        socket_ = kNoSocket;
    }
}

HttpFailure TcpStream::Wait(bool forWrite, bool orReadable, const StreamWaits& waits,
                            Ready& ready) {
    for (;;) {
        if (waits.cancel != nullptr && waits.cancel->load(std::memory_order_relaxed)) {
            return HttpFailure::Cancelled;
        }
        const Clock::time_point now = Clock::now();
        if (now >= waits.deadline || (waits.speed != nullptr && waits.speed->Stalled(now))) {
            return HttpFailure::TimedOut;
        }
        const auto slice = std::min<Clock::duration>(kWaitSlice, waits.deadline - now);
        const long micros = static_cast<long>(std::max<long long>(
            1, std::chrono::duration_cast<std::chrono::microseconds>(slice).count()));
        timeval timeout{micros / 1000000, micros % 1000000};
        fd_set readable;
        fd_set writable;
        fd_set failed;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        const SOCKET s = Native(socket_);
        if (!forWrite || orReadable) {
            FD_SET(s, &readable);
        }
        if (forWrite) {
            FD_SET(s, &writable);
            FD_SET(s, &failed); // a failed connect shows here on Windows
        }
        const int count = select(0, &readable, &writable, &failed, &timeout);
        if (count == SOCKET_ERROR) {
            return HttpFailure::ConnectionLost;
        }
        if (count == 0) {
            continue;
        }
        ready = FD_ISSET(s, &failed)     ? Ready::Failed
                : FD_ISSET(s, &readable) ? Ready::Readable
                                         : Ready::Writable;
        return HttpFailure::None;
    }
}

HttpFailure TcpStream::Connect(const std::string& address, uint16_t port,
                               const StreamWaits& waits) {
    EnsureWinsock();
    Close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) {
        return HttpFailure::CannotConnect;
    }
    SOCKET s =
        WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        return HttpFailure::CannotConnect;
    }
    socket_ = static_cast<uintptr_t>(s);
    u_long nonBlocking = 1;
    BOOL noDelay = TRUE;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
        return HttpFailure::None;
    }
    if (!WouldBlock(WSAGetLastError())) {
        Close();
        return HttpFailure::CannotConnect;
    }
    Ready ready = Ready::Failed;
    HttpFailure waited = Wait(/*forWrite=*/true, /*orReadable=*/false, waits, ready);
    int error = 0;
    int size = sizeof error;
    if (waited == HttpFailure::None && ready == Ready::Writable &&
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
        error == 0) {
        return HttpFailure::None;
    }
    Close();
    return waited == HttpFailure::Cancelled ? waited : HttpFailure::CannotConnect;
}

HttpFailure TcpStream::Send(std::string_view bytes, const StreamWaits& waits, bool answerStops,
                            bool& answered) {
    answered = false;
    while (!bytes.empty()) {
        const int want = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 30));
        const int sent = send(Native(socket_), bytes.data(), want, 0);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            if (waits.speed != nullptr) {
                waits.speed->Moved(static_cast<uint64_t>(sent), Clock::now());
            }
            // A peer that takes everything at once never makes us wait: look
            // at the cancel flag and the deadline here too.
            if (waits.cancel != nullptr && waits.cancel->load(std::memory_order_relaxed)) {
                return HttpFailure::Cancelled;
            }
            if (Clock::now() >= waits.deadline) {
                return HttpFailure::TimedOut;
            }
            continue;
        }
        if (!WouldBlock(WSAGetLastError())) {
            return HttpFailure::ConnectionLost;
        }
        Ready ready = Ready::Failed;
        if (HttpFailure waited = Wait(true, answerStops, waits, ready);
            waited != HttpFailure::None) {
            return waited;
        }
        if (ready == Ready::Readable) {
            answered = true;
            return HttpFailure::None;
        }
        if (ready == Ready::Failed) {
            return HttpFailure::ConnectionLost;
        }
    }
    return HttpFailure::None;
}

HttpFailure TcpStream::Receive(std::string& into, const StreamWaits& waits, bool& ended) {
    ended = false;
    char buffer[kReceiveBytes];
    for (;;) {
        const int got = recv(Native(socket_), buffer, sizeof buffer, 0);
        if (got > 0) {
            into.append(buffer, static_cast<std::size_t>(got));
            if (waits.speed != nullptr) {
                waits.speed->Moved(static_cast<uint64_t>(got), Clock::now());
            }
            return HttpFailure::None;
        }
        if (got == 0) {
            ended = true;
            return HttpFailure::None;
        }
        if (!WouldBlock(WSAGetLastError())) {
            return HttpFailure::ConnectionLost; // reset, aborted
        }
        Ready ready = Ready::Failed;
        if (HttpFailure waited = Wait(false, false, waits, ready); waited != HttpFailure::None) {
            return waited;
        }
    }
}

} // namespace lpr
