#include "osa/osa_alloc.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<int> g_failuresPending{0};

// Consumes one pending failure, if any.
bool TakeFailure() {
    int pending = g_failuresPending.load(std::memory_order_relaxed);
    while (pending > 0) {
        if (g_failuresPending.compare_exchange_weak(pending, pending - 1,
                                                    std::memory_order_relaxed)) {
            return true;
        }
    }
    return false;
}

} // namespace

void* OSA_memAlloc(size_t size) {
    if (TakeFailure()) {
        return nullptr;
    }
    return std::malloc(size);
}

void OSA_memFailNext(int count) {
    g_failuresPending.store(count > 0 ? count : 0, std::memory_order_relaxed);
}
