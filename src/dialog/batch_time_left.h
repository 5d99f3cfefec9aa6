// An estimate of a batch's time left: each worker serves its queue one
// camera at a time, so it has about (cameras queued) x (mean run) left, less
// what its current camera has already run; the batch ends with its slowest
// worker.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class BatchTimeLeft {
public:
    using Clock = std::chrono::steady_clock;

    void Begin(uint32_t workers, Clock::time_point start);
    // A run ended on `worker`; the worker's next camera starts now.
    void RunEnded(uint32_t worker, Clock::time_point now);
    // queued[w]: cameras worker w is serving or will serve. Nothing until a
    // run has ended: there is no duration to go by.
    std::optional<std::chrono::milliseconds> Estimate(const std::vector<size_t>& queued,
                                                      Clock::time_point now) const;

private:
    std::vector<Clock::time_point> m_lastEnd; // per worker: when its current camera began
    Clock::duration m_total{};
    uint64_t m_runs = 0;
};
