#include "osa/osa_alloc.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace {

// Normal allocation pays one relaxed load; the schedule below is consulted
// only while a test has armed it.
std::atomic<bool> g_armed{false};
std::mutex g_scheduleMutex;
int g_allowed = 0; // allocations still to let through before failing
int g_failing = 0; // allocations to fail after those

bool TakeFailure() {
    if (!g_armed.load(std::memory_order_acquire)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(g_scheduleMutex);
    if (g_failing == 0) {
        return false;
    }
    if (g_allowed > 0) {
        --g_allowed;
        return false;
    }
    if (--g_failing == 0) {
        g_armed.store(false, std::memory_order_release);
    }
    return true;
}

} // namespace

void* OSA_memAlloc(size_t size) {
    if (TakeFailure()) {
        return nullptr;
    }
    return std::malloc(size);
}

void OSA_memFailAfter(int allowed, int count) {
    std::lock_guard<std::mutex> guard(g_scheduleMutex);
    g_allowed = allowed > 0 ? allowed : 0;
    g_failing = count > 0 ? count : 0;
    g_armed.store(g_failing > 0, std::memory_order_release);
}

void OSA_memFailNext(int count) {
    OSA_memFailAfter(0, count);
}
