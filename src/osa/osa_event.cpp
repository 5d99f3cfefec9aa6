#include "osa/osa_placement.h"
#include "osa/osa_sync.h"
#include "osa/osa_wait.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

// The state is an atomic flag so that the frequent cases (setting an event
// that is already set, waiting on one that is set, resetting) take no lock;
// the mutex and condition variable serve only threads that must sleep.
struct OsaEventImpl {
    explicit OsaEventImpl(bool manual, bool initial) : manualReset(manual), signaled(initial) {}

    // Takes the signal: an auto-reset event releases one waiter and clears itself.
    bool TryTake() {
        if (manualReset) {
            return signaled.load(std::memory_order_acquire);
        }
        bool expected = true;
        return signaled.compare_exchange_strong(expected, false, std::memory_order_acq_rel);
    }

    std::mutex mutex;
    std::condition_variable changed;
    const bool manualReset;
    std::atomic<bool> signaled;
};

OsaEventHandle OSA_eventCreate(bool manualReset, bool initialState) {
    return OSA_newObject<OsaEventImpl>(manualReset, initialState);
}

void OSA_eventSet(OsaEventHandle ev) {
    if (ev == nullptr || ev->signaled.load(std::memory_order_acquire)) {
        return; // already set: whoever waits has been woken, or will take it
    }
    {
        // Stored under the mutex so that a waiter between its test and its
        // sleep cannot miss it.
        std::lock_guard<std::mutex> guard(ev->mutex);
        ev->signaled.store(true, std::memory_order_release);
    }
    if (ev->manualReset) {
        ev->changed.notify_all();
    } else {
        ev->changed.notify_one();
    }
}

void OSA_eventReset(OsaEventHandle ev) {
    if (ev != nullptr) {
        ev->signaled.store(false, std::memory_order_release);
    }
}

int32_t OSA_eventWait(OsaEventHandle ev, uint32_t timeoutMs) {
    if (ev == nullptr) {
        return OSA_WAIT_FAILED;
    }
    if (ev->TryTake()) {
        return OSA_WAIT_SIGNALED;
    }
    std::unique_lock<std::mutex> lock(ev->mutex);
    return OSA_waitUntilReady(ev->changed, lock, timeoutMs, [ev] { return ev->TryTake(); });
}

void OSA_eventClose(OsaEventHandle ev) {
    OSA_deleteObject(ev);
}
