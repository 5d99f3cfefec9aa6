#include "osa/osa_tsk.h"

#include "osa/osa_alloc.h"
#include "osa/osa_assert.h"

#include <atomic>
#include <cstdlib>

namespace {

static_assert(alignof(uint16_t) >= std::atomic_ref<uint16_t>::required_alignment,
              "OsaTask::running must be usable through std::atomic_ref");

// `running` stays a plain word so that callers can zero-fill the record; every
// access goes through an atomic view of it.
std::atomic_ref<uint16_t> RunningOf(OsaTask* task) {
    return std::atomic_ref<uint16_t>(task->running);
}

uint32_t TaskThreadEntry(void* arg) {
    return OSA_tskThrMain(static_cast<OsaTask*>(arg));
}

// Brings the record back to what a failed creation leaves: nothing running,
// no handles. The mailbox is released too, so that the caller may simply free
// the record (or still call OSA_tskDelete on it).
int32_t AbandonCreation(OsaTask* task) {
    OSA_mbxDelete(&task->mailbox);
    RunningOf(task).store(0, std::memory_order_release);
    task->thread = nullptr;
    task->exitEvent = nullptr;
    task->threadId = 0;
    return -1;
}

// Wakes a main function waiting on its mailbox without ever waiting for room.
// A full mailbox needs no stop message: the main function cannot be blocked on
// a non-empty queue, and it sees `running` at 0 after its current message.
// Without memory for a message, `fallback` (which lives in the caller's frame
// and lacks OSA_MSG_MADE_BY_RUNTIME, so that nothing frees it) goes instead;
// the caller flushes the mailbox before its frame ends.
void QueueStopMessage(OsaTask* task, OsaMessage* fallback) {
    OsaMailbox* mbx = &task->mailbox;
    auto* msg = static_cast<OsaMessage*>(OSA_memAlloc(sizeof(OsaMessage)));
    uint16_t flags = OSA_MSG_MADE_BY_RUNTIME;
    if (msg == nullptr) {
        msg = fallback;
        flags = 0;
    }
    *msg = OsaMessage{mbx, nullptr, nullptr, 0, OSA_CMD_STOP, flags, nullptr};
    if (OSA_quePut(&mbx->recvQueue, msg, OSA_NO_WAIT) != 0 && msg != fallback) {
        std::free(msg);
    }
}

} // namespace

int32_t OSA_tskCreate(OsaTask* task, OsaTaskMain mainFn) {
    if (task == nullptr) {
        OSA_ASSERT_REPORT("OSA_tskCreate");
        return -1;
    }
    task->mainFn = mainFn;
    RunningOf(task).store(1, std::memory_order_release);
    if (mainFn == nullptr) {
        OSA_ASSERT_REPORT("OSA_tskCreate");
        return AbandonCreation(task);
    }
    if (OSA_mbxCreate(&task->mailbox) != 0) {
        // A task without working queues could never be woken or stopped.
        return AbandonCreation(task);
    }
    task->thread =
        OSA_threadCreateSuspended(TaskThreadEntry, task, OSA_TSK_STACK_RESERVE, &task->threadId);
    if (task->thread == nullptr) {
        return AbandonCreation(task);
    }
    task->exitEvent = OSA_eventCreate(false, false);
    if (task->exitEvent == nullptr) {
        OSA_threadClose(task->thread); // never resumed: ends without running the main
        return AbandonCreation(task);
    }
    OSA_threadSetAboveNormalPriority(task->thread);
    OSA_threadResume(task->thread);
    return 0;
}

uint32_t OSA_tskThrMain(OsaTask* task) {
    if (task == nullptr) {
        OSA_ASSERT_REPORT("OSA_tskThrMain");
        return 0;
    }
    if (task->mainFn == nullptr) {
        OSA_ASSERT_REPORT("OSA_tskThrMain");
    } else {
        task->mainFn(task);
    }
    OSA_eventSet(task->exitEvent);
    return 0;
}

int32_t OSA_tskDelete(OsaTask* task) {
    if (task == nullptr) {
        OSA_ASSERT_REPORT("OSA_tskDelete");
        return -1;
    }
    RunningOf(task).store(0, std::memory_order_release);
    OsaMessage fallbackStop{};
    if (task->thread != nullptr) {
        QueueStopMessage(task, &fallbackStop);
        // Bounded by the main function's current message: it returns as soon
        // as it has finished that message and seen `running` at 0.
        OSA_eventWait(task->exitEvent, OSA_INFINITE);
        OSA_threadWait(task->thread, 100);
        OSA_threadClose(task->thread);
        OSA_eventClose(task->exitEvent);
    }
    // Whatever is still queued, the stop message included, goes unserved.
    OSA_mbxFlush(&task->mailbox);
    OSA_mbxDelete(&task->mailbox);
    task->thread = nullptr;
    task->exitEvent = nullptr;
    task->threadId = 0;
    task->mainFn = nullptr;
    return 0;
}

int32_t OSA_tskSendNotifyMsgCb(OsaTask* task, uint16_t command, void* payload) {
    if (task == nullptr) {
        OSA_ASSERT_REPORT("OSA_tskSendNotifyMsgCb");
        std::free(payload); // the payload has passed to the runtime all the same
        return -1;
    }
    return OSA_mbxSendNotifyMsgCb(&task->mailbox, command, payload);
}

bool OSA_tskIsRunning(const OsaTask* task) {
    if (task == nullptr) {
        return false;
    }
    return RunningOf(const_cast<OsaTask*>(task)).load(std::memory_order_acquire) != 0;
}
