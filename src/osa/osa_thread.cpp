#include "osa/osa_placement.h"
#include "osa/osa_sync.h"
#include "osa/osa_wait.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

struct OsaThreadImpl {
    OsaThreadEntry entry = nullptr;
    void* arg = nullptr;

    std::mutex mutex;
    std::condition_variable changed;
    bool resumed = false;   // the entry may run
    bool cancelled = false; // closed before it was ever resumed: the entry never runs
    bool ended = false;     // the entry has returned (or will never run)

    std::thread thread;
};

namespace {

std::atomic<uint32_t> g_nextThreadId{1};

void RunThread(OsaThreadImpl* th) {
    {
        std::unique_lock<std::mutex> lock(th->mutex);
        th->changed.wait(lock, [th] { return th->resumed || th->cancelled; });
        if (th->cancelled) {
            th->ended = true;
            return;
        }
    }
    th->entry(th->arg);
    {
        std::lock_guard<std::mutex> guard(th->mutex);
        th->ended = true;
    }
    th->changed.notify_all();
}

} // namespace

// std::thread takes no stack size; the default stack of a Linux thread (8 MiB
// reserved, committed on use) already covers the requested reservation.
OsaThreadHandle OSA_threadCreateSuspended(OsaThreadEntry entry, void* arg,
                                          uint32_t /*stackReserve*/, uint32_t* threadId) {
    if (entry == nullptr) {
        return nullptr;
    }
    OsaThreadImpl* th = OSA_newObject<OsaThreadImpl>();
    if (th == nullptr) {
        return nullptr;
    }
    th->entry = entry;
    th->arg = arg;
    try {
        th->thread = std::thread(RunThread, th);
    } catch (const std::system_error&) {
        OSA_deleteObject(th);
        return nullptr;
    }
    if (threadId != nullptr) {
        *threadId = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    }
    return th;
}

// Raising a thread above normal priority needs privileges that a desktop
// user does not have on Linux; the tasks run at the normal priority there.
void OSA_threadSetAboveNormalPriority(OsaThreadHandle /*th*/) {}

void OSA_threadResume(OsaThreadHandle th) {
    if (th == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(th->mutex);
        th->resumed = true;
    }
    th->changed.notify_all();
}

int32_t OSA_threadWait(OsaThreadHandle th, uint32_t timeoutMs) {
    if (th == nullptr) {
        return OSA_WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(th->mutex);
    const auto hasEnded = [th] { return th->ended || (th->cancelled && !th->resumed); };
    return OSA_waitUntilReady(th->changed, lock, timeoutMs, hasEnded);
}

void OSA_threadClose(OsaThreadHandle th) {
    if (th == nullptr) {
        return;
    }
    {
        // A thread that was never resumed is let go without running its entry,
        // so that closing it cannot hang.
        std::lock_guard<std::mutex> guard(th->mutex);
        if (!th->resumed) {
            th->cancelled = true;
        }
    }
    th->changed.notify_all();
    if (th->thread.joinable()) {
        th->thread.join();
    }
    OSA_deleteObject(th);
}
