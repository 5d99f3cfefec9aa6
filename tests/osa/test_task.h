// A task main function of the runtime's shape that records what it does, for
// the task and stress tests.
#pragma once

#include "osa/osa_tsk.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

constexpr uint16_t kServedCommand = 1;

// `task` comes first so that the main function can find the record.
struct RecordingTask {
    OsaTask task{};

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> servedPayloads; // first int of each served payload, in order
    bool blockHandler = false;       // the handler waits while this is set
    bool handlerEntered = false;
    int mainResult = -100; // what the main function returned; -100 while it runs

    void Release() {
        std::lock_guard<std::mutex> guard(mutex);
        blockHandler = false;
        changed.notify_all();
    }
    bool WaitUntil(auto predicate, std::chrono::milliseconds bound = std::chrono::seconds(5)) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, bound, [&] { return predicate(); });
    }
};

inline int32_t RecordingTaskMain(OsaTask* task) {
    auto* self = reinterpret_cast<RecordingTask*>(task);
    while (OSA_tskIsRunning(task)) {
        OsaMessage* msg = nullptr;
        if (OSA_mbxWaitMsg(&task->mailbox, &msg) != 0) {
            break;
        }
        if (msg->command == kServedCommand) {
            std::unique_lock<std::mutex> lock(self->mutex);
            self->handlerEntered = true;
            self->changed.notify_all();
            self->changed.wait(lock, [self] { return !self->blockHandler; });
            self->servedPayloads.push_back(*static_cast<int*>(msg->payload));
        }
        OSA_mbxAckOrFreeMsg(msg);
    }
    std::lock_guard<std::mutex> guard(self->mutex);
    self->mainResult = 0;
    self->changed.notify_all();
    return 0;
}

// A malloc'd payload holding one int, as the runtime expects payloads.
inline void* IntPayload(int value) {
    auto* payload = static_cast<int*>(std::malloc(sizeof(int)));
    *payload = value;
    return payload;
}
