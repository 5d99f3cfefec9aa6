// The rules of a running batch on top of the dispatcher: stopping it, a
// canary group that must succeed before the rest start, a failure threshold
// that stops it, and bounded retries of cameras that never took an image.
// The window and tolvane-cli drive the same object from their own thread;
// only Stopped() is read by the upgrade workers.
#pragma once

#include "dialog/batch_dispatch.h"
#include "dialog/batch_time_left.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr uint32_t kMaxBatchRetries = 5;
// Least time between two tries of one camera, before the time scale.
constexpr uint32_t kRetryWaitMs = 30'000;

struct BatchOptions {
    uint32_t canary = 0;      // the first N cameras run first; 0: off
    uint32_t maxFailures = 0; // stop once this many failed; 0: off
    uint32_t retries = 0;     // further tries of a camera, 0 to kMaxBatchRetries
    std::chrono::milliseconds retryWait{kRetryWaitMs};
};

enum class BatchStopReason { None, Operator, Canary, Threshold };

// What a worker's result note says, as far as the rules need it.
struct BatchOutcome {
    std::string address;
    bool success = false;
    int32_t code = 0;
    int32_t sdkError = 0;
    bool accepted = false; // the camera took an image during the run
};

// A failure that came before the camera accepted any image: log-in refused
// or unreachable, version unread, the camera busy or the connection lost
// before it took the image. Only these may be tried again.
bool FailureMayBeRetried(const BatchOutcome& outcome);

struct BatchRunCounts {
    int total = 0; // cameras in the batch (refused sends are not)
    int succeeded = 0;
    int failed = 0;
    int notStarted = 0;
    int Done() const { return succeeded + failed + notStarted; }
};

class BatchControl {
public:
    using Clock = std::chrono::steady_clock;

    // What became of one result note.
    struct Answer {
        bool known = false; // a camera of this batch was being served at that address
        bool final = true;  // false: the camera goes round again (retryAt)
        BatchCamera camera; // the camera the result was for, with its try number
        Clock::time_point retryAt{};
        std::vector<RefusedCamera> refused;  // could not be sent; out of the batch
        std::vector<BatchCamera> notStarted; // held back by a stop this result caused
    };

    BatchControl(uint32_t workers, BatchDispatcher::SendFn send, BatchOptions options = {});

    // Sends the batch: the canary group first, the rest when it has
    // succeeded. Returns the cameras whose send was refused.
    std::vector<RefusedCamera> Start(std::vector<BatchCamera> cameras, Clock::time_point now);
    // Cameras that Start held back and stopped at once (a canary group none
    // of which could be sent); taken once.
    std::vector<BatchCamera> TakeStartNotStarted() { return std::move(m_startNotStarted); }
    // Matching is by address, as the dispatcher's. Results that no camera
    // of the batch is waiting for change nothing (known false).
    Answer OnResult(const BatchOutcome& outcome, Clock::time_point now);
    // Sends the retries whose wait is over.
    std::vector<RefusedCamera> SendDue(Clock::time_point now);
    std::optional<Clock::time_point> NextDue() const { return m_dispatcher.NextDue(); }

    // Sends nothing more: returns the cameras held back here, which count as
    // not started. Those already in a worker's mailbox come back as "not
    // started" results. A second stop returns nothing.
    std::vector<BatchCamera> Stop(BatchStopReason reason);
    bool Stopped() const { return m_stopped.load(); }
    BatchStopReason StopReason() const { return m_reason; }

    const BatchRunCounts& Counts() const { return m_counts; }
    bool Finished() const { return m_counts.Done() >= m_counts.total; }
    const BatchOptions& Options() const { return m_options; }
    std::optional<std::chrono::milliseconds> TimeLeft(Clock::time_point now) const;

private:
    void Release(Clock::time_point now, std::vector<RefusedCamera>* refused);
    void Judge(const BatchOutcome& outcome, const BatchDispatcher::Served& served, Answer& answer,
               Clock::time_point now);
    void Count(const BatchOutcome& outcome);
    void ApplyRules(Answer& answer, Clock::time_point now);

    BatchDispatcher m_dispatcher;
    BatchOptions m_options;
    std::atomic<bool> m_stopped{false};
    BatchStopReason m_reason = BatchStopReason::None;
    BatchRunCounts m_counts;
    std::vector<BatchCamera> m_held; // after the canary group, in batch order
    uint32_t m_canaryLeft = 0;
    bool m_canaryFailed = false;
    BatchTimeLeft m_timeLeft;
    std::vector<BatchCamera> m_startNotStarted;
};
