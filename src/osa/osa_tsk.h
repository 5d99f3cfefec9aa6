// Tasks: one worker thread with one mailbox.
#pragma once

#include <cstdint>

#include "osa/osa_mbx.h"
#include "osa/osa_sync.h"

// Stack reservation of every task thread.
constexpr uint32_t OSA_TSK_STACK_RESERVE = 0x40001;

struct OsaTask;
using OsaTaskMain = int32_t (*)(OsaTask* task);

// Owned by the caller: allocated and zero-filled before OSA_tskCreate, freed
// after OSA_tskDelete. `mailbox` comes first so that a task pointer also serves
// as its mailbox pointer.
struct OsaTask {
    OsaMailbox mailbox;
    OsaThreadHandle thread;
    OsaEventHandle exitEvent;
    uint32_t threadId;
    OsaTaskMain mainFn;
    uint16_t running; // read and written only through OSA_tskIsRunning / the runtime
};

int32_t OSA_tskCreate(OsaTask* task, OsaTaskMain mainFn);
uint32_t OSA_tskThrMain(OsaTask* task);
int32_t OSA_tskDelete(OsaTask* task);
int32_t OSA_tskSendNotifyMsgCb(OsaTask* task, uint16_t command, void* payload);

// The `running` word, read so that the deleting thread's write is seen
// without a data race. Task main functions test it through this.
bool OSA_tskIsRunning(const OsaTask* task);
