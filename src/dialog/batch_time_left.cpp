#include "dialog/batch_time_left.h"

#include <algorithm>

void BatchTimeLeft::Begin(uint32_t workers, Clock::time_point start) {
    m_lastEnd.assign(workers > 0 ? workers : 1, start);
    m_total = {};
    m_runs = 0;
}

void BatchTimeLeft::RunEnded(uint32_t worker, Clock::time_point now) {
    if (worker >= m_lastEnd.size()) {
        return;
    }
    m_total += now - m_lastEnd[worker];
    ++m_runs;
    m_lastEnd[worker] = now;
}

std::optional<std::chrono::milliseconds> BatchTimeLeft::Estimate(const std::vector<size_t>& queued,
                                                                 Clock::time_point now) const {
    if (m_runs == 0) {
        return std::nullopt;
    }
    const Clock::duration mean = m_total / static_cast<int64_t>(m_runs);
    Clock::duration longest{};
    for (size_t w = 0; w < queued.size() && w < m_lastEnd.size(); ++w) {
        if (queued[w] == 0) {
            continue;
        }
        const Clock::duration left = mean * static_cast<int64_t>(queued[w]) - (now - m_lastEnd[w]);
        longest = std::max(longest, left);
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
}
