#include "osa/osa_mbx.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

bool IsCreated(const OsaQueue* que) {
    return que != nullptr && que->lock.impl != nullptr && que->notEmpty != nullptr &&
           que->notFull != nullptr;
}

OsaEventHandle CreateQueueEvent() {
    OsaEventHandle ev = OSA_eventCreate(true, false);
    if (ev == nullptr) {
        // Events fail only for want of memory here.
        std::printf("CreateEvent error: %d\n", ENOMEM);
        std::fflush(stdout);
        return nullptr;
    }
    OSA_eventReset(ev);
    return ev;
}

// Waits on `ev` for at most what is left until `deadline`; false when the time
// is up. OSA_WAIT_FOREVER waits without limit. Called without the queue lock.
bool WaitUntil(OsaEventHandle ev, uint32_t timeout, Clock::time_point deadline) {
    if (timeout == OSA_WAIT_FOREVER) {
        return OSA_eventWait(ev, OSA_INFINITE) == OSA_WAIT_SIGNALED;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
        return false;
    }
    return OSA_eventWait(ev, static_cast<uint32_t>(left.count())) == OSA_WAIT_SIGNALED;
}

// Finite timeouts other than OSA_NO_WAIT are taken as a bound in milliseconds
// on the whole put or get.
Clock::time_point DeadlineFor(uint32_t timeout) {
    if (timeout == OSA_WAIT_FOREVER) {
        return Clock::time_point::max();
    }
    return Clock::now() + std::chrono::milliseconds(timeout);
}

} // namespace

int32_t OSA_queCreate(OsaQueue* que) {
    if (que == nullptr) {
        return -1;
    }
    que->readIndex = 0;
    que->writeIndex = 0;
    que->count = 0;
    que->capacity = 0;
    que->notEmpty = nullptr;
    que->notFull = nullptr;
    if (OSA_csInit(&que->lock) != 0) {
        return -1;
    }
    que->notEmpty = CreateQueueEvent();
    if (que->notEmpty != nullptr) {
        que->notFull = CreateQueueEvent();
    }
    if (que->notEmpty == nullptr || que->notFull == nullptr) {
        // Nothing half-made stays behind: a failed queue holds no handles.
        OSA_queDelete(que);
        return -1;
    }
    que->capacity = OSA_QUEUE_LEN;
    return 0;
}

int32_t OSA_quePut(OsaQueue* que, OsaMessage* msg, uint32_t timeout) {
    if (!IsCreated(que)) {
        return -1;
    }
    const Clock::time_point deadline = DeadlineFor(timeout);
    OSA_csEnter(&que->lock);
    while (que->count >= que->capacity) {
        if (timeout == OSA_NO_WAIT) {
            OSA_csLeave(&que->lock);
            return -1;
        }
        // Reset under the lock; a get sets the event under the same lock, so
        // room made between here and the wait is not missed.
        OSA_eventReset(que->notFull);
        OSA_csLeave(&que->lock);
        const bool signaled = WaitUntil(que->notFull, timeout, deadline);
        OSA_csEnter(&que->lock);
        if (!signaled && que->count >= que->capacity) {
            OSA_csLeave(&que->lock);
            return -1;
        }
    }
    que->slots[que->writeIndex] = msg;
    que->writeIndex = (que->writeIndex + 1) % que->capacity;
    que->count++;
    OSA_eventSet(que->notEmpty);
    OSA_csLeave(&que->lock);
    return 0;
}

int32_t OSA_queGet(OsaQueue* que, OsaMessage** msg, uint32_t timeout) {
    if (!IsCreated(que) || msg == nullptr) {
        return -1;
    }
    const Clock::time_point deadline = DeadlineFor(timeout);
    OSA_csEnter(&que->lock);
    while (que->count == 0) {
        if (timeout == OSA_NO_WAIT) {
            OSA_csLeave(&que->lock);
            return -1;
        }
        OSA_eventReset(que->notEmpty);
        OSA_csLeave(&que->lock);
        const bool signaled = WaitUntil(que->notEmpty, timeout, deadline);
        OSA_csEnter(&que->lock);
        if (!signaled && que->count == 0) {
            OSA_csLeave(&que->lock);
            return -1;
        }
    }
    *msg = que->slots[que->readIndex];
    que->slots[que->readIndex] = nullptr;
    que->readIndex = (que->readIndex + 1) % que->capacity;
    que->count--;
    OSA_eventSet(que->notFull);
    OSA_csLeave(&que->lock);
    return 0;
}

void OSA_queDelete(OsaQueue* que) {
    if (que == nullptr) {
        return;
    }
    OSA_csDelete(&que->lock);
    OSA_eventClose(que->notEmpty);
    OSA_eventClose(que->notFull);
    que->notEmpty = nullptr;
    que->notFull = nullptr;
    que->capacity = 0;
}
