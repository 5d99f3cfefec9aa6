// The batch's progress on stderr: done/total, succeeded, failed, running,
// elapsed and time left, when stderr is a terminal or --progress asks.
#pragma once

#include "dialog/batch_control.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Shown when stderr is a terminal, or when forced.
    ProgressLine(bool forced, Clock::time_point start);

    void Show(const BatchRunCounts& counts, int running,
              std::optional<std::chrono::milliseconds> left, Clock::time_point now, bool changed);

private:
    bool m_on;
    Clock::time_point m_start;
    Clock::time_point m_last{};
};

// "1h02m", "3m05s", "12s".
std::string DurationText(std::chrono::milliseconds duration);
