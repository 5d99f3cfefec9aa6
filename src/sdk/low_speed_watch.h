// The upload's low-speed rule for a transport that moves the bytes itself:
// a transfer has stalled once fewer than `bytesPerSecond` × `seconds` bytes
// moved (either way) in the last `seconds` seconds. Unlike an average over
// the whole transfer, a stall after a fast start is seen `seconds` after it
// began.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

namespace lpr {

class LowSpeedWatch {
public:
    using Clock = std::chrono::steady_clock;

    // `seconds` 0: no rule, never stalled.
    LowSpeedWatch(long bytesPerSecond, long seconds, Clock::time_point start)
        : need_(static_cast<uint64_t>(bytesPerSecond) * static_cast<uint64_t>(seconds)),
          window_(std::chrono::seconds(seconds)), start_(start) {}

    void Moved(uint64_t bytes, Clock::time_point now) {
        total_ += bytes;
        // One sample per quarter second keeps the history short; merging
        // counts a sample's bytes at most that much early.
        if (!samples_.empty() && now - samples_.back().first < std::chrono::milliseconds(250)) {
            samples_.back().second = total_;
        } else {
            samples_.emplace_back(now, total_);
        }
    }

    bool Stalled(Clock::time_point now) {
        if (window_.count() == 0 || now - start_ < window_) {
            return false;
        }
        // The total as it was `window_` ago: the newest sample at or before then.
        while (!samples_.empty() && samples_.front().first <= now - window_) {
            baseline_ = samples_.front().second;
            samples_.pop_front();
        }
        return total_ - baseline_ < need_;
    }

private:
    uint64_t need_;
    std::chrono::seconds window_;
    Clock::time_point start_;
    uint64_t total_ = 0;
    uint64_t baseline_ = 0; // the total `window_` ago
    std::deque<std::pair<Clock::time_point, uint64_t>> samples_;
};

} // namespace lpr
