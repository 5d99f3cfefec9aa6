// The version reads of the device list's cameras. The version worker's
// mailbox holds only so many requests; those it refuses wait here and go out,
// in the order their rows were found, as the worker takes the ones before
// them. Emptied with the list, so a new search starts with its own cameras.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class VersionQueue {
public:
    // Sends one request to the version worker; returns SEND_OK or the refusal.
    using SendFn = std::function<int32_t(const std::string& address, int32_t port)>;

    explicit VersionQueue(SendFn send) : m_send(std::move(send)) {}

    // A camera whose version is wanted: sent now when nothing waits before it
    // and the mailbox takes it, else kept.
    void Request(const std::string& address, int32_t port);
    // Sends what waits, in order, until the mailbox refuses one. A request that
    // can never be sent (an address too long for it) is dropped, its version
    // left empty. Returns how many still wait.
    size_t Pump();
    void Clear() { m_waiting.clear(); }
    size_t Waiting() const { return m_waiting.size(); }

private:
    struct Camera {
        std::string address;
        int32_t port;
    };

    SendFn m_send;
    std::deque<Camera> m_waiting;
};
