// Spreads a batch of cameras over the upgrade workers: the k-th camera goes
// to worker k mod N, and each worker gets its cameras in batch order. A
// worker's mailbox holds only so many requests, so the rest wait here and go
// out one by one as that worker's results come back.
#pragma once

#include "osa/osa_mbx.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct BatchCamera {
    std::string address;
    int32_t port = 0;
    std::string user;
    std::string password;
    size_t tag = 0; // the caller's own mark (a list row, a target index)
    int32_t attempt = 1;
    // A retried camera is not sent before this time.
    std::chrono::steady_clock::time_point notBefore{};
};

struct RefusedCamera {
    BatchCamera camera;
    int32_t result = 0; // what the send returned (SEND_REFUSED, SEND_TEXT_TOO_LONG)
};

class BatchDispatcher {
public:
    // Requests a worker may have been sent and not yet answered. One less
    // than its mailbox holds: a result taken for the wrong one of two
    // workers serving the same address leaves one request uncounted, and
    // even then a send never meets a full mailbox.
    static constexpr size_t kOutstandingPerWorker = OSA_QUEUE_LEN - 1;

    // Sends one request to a worker; returns SEND_OK or the refusal.
    using SendFn = std::function<int32_t(uint32_t worker, const BatchCamera& camera)>;

    BatchDispatcher(uint32_t workerCount, SendFn send);

    // Forgets the previous batch; the next camera goes to worker 0.
    void Clear();

    // The next camera of the batch: SEND_OK when sent or kept for later, else
    // the refusal (the camera is then not part of the batch).
    int32_t Add(BatchCamera camera);

    // A result for `address` came back. Frees its place at the worker that
    // was serving it and sends that worker's next cameras; returns those
    // whose send was refused. An address that no worker is serving changes
    // nothing.
    std::vector<RefusedCamera> OnResult(const std::string& address);

    // The same without sending anything (SendDue does): which camera the
    // result was for and which worker served it (nothing when no worker was
    // serving the address). A rule may stop the batch on this result before
    // the worker gets its next camera.
    struct Served {
        BatchCamera camera;
        uint32_t worker = 0;
    };
    std::optional<Served> Finish(const std::string& address);

    // Puts a camera at the back of a worker's queue, to be sent once its
    // notBefore has passed (see SendDue).
    void Requeue(uint32_t worker, BatchCamera camera);
    // Sends the queued cameras whose time has come.
    std::vector<RefusedCamera> SendDue(std::chrono::steady_clock::time_point now);
    // The earliest notBefore of a queued camera that waits for its time.
    std::optional<std::chrono::steady_clock::time_point> NextDue() const;
    // Takes every camera not yet sent out of the batch (a stop).
    std::vector<BatchCamera> TakeWaiting();
    // Cameras of one worker, sent or waiting.
    size_t Queued(uint32_t worker) const;

    // Requests a worker may hold at once, 1 to kOutstandingPerWorker. With 1,
    // a worker never finds another request in its mailbox before its last
    // result has been seen: a rule that stops the batch on that result is
    // then in time for the worker's next camera.
    void SetOutstandingLimit(size_t limit);

    uint32_t WorkerCount() const { return static_cast<uint32_t>(m_workers.size()); }
    size_t Waiting() const;     // kept here, not yet sent
    size_t Outstanding() const; // sent, result not yet back

private:
    struct Worker {
        std::deque<BatchCamera> sent; // in the order the worker serves them
        std::deque<BatchCamera> waiting;
    };

    void TopUp(uint32_t worker, std::vector<RefusedCamera>* refused,
               std::chrono::steady_clock::time_point now);

    SendFn m_send;
    std::vector<Worker> m_workers;
    uint32_t m_next = 0;
    size_t m_outstandingLimit = kOutstandingPerWorker;
};
