// The bounded wait that events and threads share: OSA_INFINITE waits without limit.
#pragma once

#include "osa/osa_sync.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

template <typename Ready>
int32_t OSA_waitUntilReady(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                           uint32_t timeoutMs, Ready ready) {
    if (timeoutMs == OSA_INFINITE) {
        changed.wait(lock, ready);
        return OSA_WAIT_SIGNALED;
    }
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready) ? OSA_WAIT_SIGNALED
                                                                               : OSA_WAIT_TIMED_OUT;
}
