// Thin owners of WinHTTP handles: one session and connection per exchange
// (so that its requests share a kept-alive connection and nothing else
// does), one request per HTTP request, and a watcher that cancels it.
#pragma once

// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lpr {

// At least 1, so that a timeout of 0 never means "wait forever".
long MillisecondsLeft(std::chrono::steady_clock::time_point deadline);

class WinHttpSession {
public:
    WinHttpSession(const std::string& address, uint16_t port);
    ~WinHttpSession();
    WinHttpSession(WinHttpSession&& other) noexcept;
    WinHttpSession(const WinHttpSession&) = delete;
    WinHttpSession& operator=(const WinHttpSession&) = delete;
    WinHttpSession& operator=(WinHttpSession&&) = delete;

    bool Usable() const { return connect_ != nullptr; }
    HINTERNET Connection() const { return connect_; }

private:
    HINTERNET session_ = nullptr;
    HINTERNET connect_ = nullptr;
};

class WinHttpRequest {
public:
    WinHttpRequest(const WinHttpSession& session, const char* method, const std::string& path,
                   bool keepAlive);
    ~WinHttpRequest();
    WinHttpRequest(const WinHttpRequest&) = delete;
    WinHttpRequest& operator=(const WinHttpRequest&) = delete;

    // Sets the options and the first timeouts; false when the request could
    // not be made.
    bool Open(long connectMs, long leftMs);
    bool SetSendTimeout(long ms);
    bool SetReceiveTimeout(long ms);
    // The head with `body` (may be empty), announcing `total` body bytes.
    bool SendHead(const std::vector<std::string>& headers, const std::string& body, uint64_t total);
    bool Write(const char* data, std::size_t size);
    bool ReceiveHead();
    long Status();
    std::vector<std::string> AuthenticateHeaders();
    // `got` 0 at the end of the body.
    bool Read(char* buffer, std::size_t size, std::size_t& got);

    // From another thread: ends whatever call is running.
    void Abort();

private:
    bool SetTimeout(DWORD option, long ms);

    const WinHttpSession& session_;
    const char* method_;
    std::string path_;
    bool keepAlive_;
    std::atomic<HINTERNET> request_{nullptr};
};

// Closes the request when `cancel` becomes set; looked at five times a second.
class CancelWatch {
public:
    CancelWatch(WinHttpRequest& request, const std::atomic<bool>* cancel);
    ~CancelWatch();
    CancelWatch(const CancelWatch&) = delete;
    CancelWatch& operator=(const CancelWatch&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace lpr
