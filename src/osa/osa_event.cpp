#include "osa/osa_placement.h"
#include "osa/osa_sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct OsaEventImpl {
    explicit OsaEventImpl(bool manual, bool initial) : manualReset(manual), signaled(initial) {}

    std::mutex mutex;
    std::condition_variable changed;
    const bool manualReset;
    bool signaled;
};

OsaEventHandle OSA_eventCreate(bool manualReset, bool initialState) {
    return OSA_newObject<OsaEventImpl>(manualReset, initialState);
}

void OSA_eventSet(OsaEventHandle ev) {
    if (ev == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(ev->mutex);
        ev->signaled = true;
    }
    // A manual-reset event releases every waiter; an auto-reset one only the
    // first, which clears it again.
    if (ev->manualReset) {
        ev->changed.notify_all();
    } else {
        ev->changed.notify_one();
    }
}

void OSA_eventReset(OsaEventHandle ev) {
    if (ev == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> guard(ev->mutex);
    ev->signaled = false;
}

int32_t OSA_eventWait(OsaEventHandle ev, uint32_t timeoutMs) {
    if (ev == nullptr) {
        return OSA_WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(ev->mutex);
    const auto isSignaled = [ev] { return ev->signaled; };
    if (timeoutMs == OSA_INFINITE) {
        ev->changed.wait(lock, isSignaled);
    } else if (!ev->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSignaled)) {
        return OSA_WAIT_TIMED_OUT;
    }
    if (!ev->manualReset) {
        ev->signaled = false;
    }
    return OSA_WAIT_SIGNALED;
}

void OSA_eventClose(OsaEventHandle ev) {
    OSA_deleteObject(ev);
}
