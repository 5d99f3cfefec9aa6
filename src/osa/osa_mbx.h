// Mailboxes: bounded message queues between threads.
#pragma once

#include <cstdint>

#include "osa/osa_sync.h"

constexpr uint32_t OSA_QUEUE_LEN = 32;

constexpr uint32_t OSA_NO_WAIT = 0;
constexpr uint32_t OSA_WAIT_FOREVER = 0xFFFFFFFFu;

// The one command the runtime itself knows: the stop message of OSA_tskDelete.
constexpr uint16_t OSA_CMD_STOP = 9999;

// Message flags.
constexpr uint16_t OSA_MSG_MADE_BY_RUNTIME = 0x1; // allocated by the runtime, freed by it
constexpr uint16_t OSA_MSG_WANT_ACK = 0x2;        // hand back to `from` instead of freeing
constexpr uint16_t OSA_MSG_OWNS_PAYLOAD = 0x4;    // release `payload` with the message

struct OsaMailbox;

struct OsaMessage {
    OsaMailbox* to;
    OsaMailbox* from;
    void* payload;
    int32_t status;
    uint16_t command;
    uint16_t flags;
    void (*releaseFn)(void* payload);
};

struct OsaQueue {
    uint32_t readIndex;
    uint32_t writeIndex;
    uint32_t capacity;
    uint32_t count;
    OsaMessage* slots[OSA_QUEUE_LEN];
    OsaCriticalSection lock;
    OsaEventHandle notEmpty;
    OsaEventHandle notFull;
};

struct OsaMailbox {
    OsaQueue recvQueue;
    OsaQueue ackQueue;
};

int32_t OSA_queCreate(OsaQueue* que);
int32_t OSA_quePut(OsaQueue* que, OsaMessage* msg, uint32_t timeout);
int32_t OSA_queGet(OsaQueue* que, OsaMessage** msg, uint32_t timeout);
void OSA_queDelete(OsaQueue* que);

int32_t OSA_mbxCreate(OsaMailbox* mbx);
int32_t OSA_mbxSendMsgCb(OsaMailbox* mbx);
int32_t OSA_mbxSendNotifyMsgCb(OsaMailbox* mbx, uint16_t command, void* payload);
int32_t OSA_mbxWaitMsg(OsaMailbox* mbx, OsaMessage** msg);
int32_t OSA_mbxAckOrFreeMsg(OsaMessage* msg);
int32_t OSA_mbxFlush(OsaMailbox* mbx);
void OSA_mbxDelete(OsaMailbox* mbx);
