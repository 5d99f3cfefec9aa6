#include "osa/osa_mbx.h"

#include "osa/osa_alloc.h"
#include "osa/osa_assert.h"

#include <cstdio>
#include <cstdlib>

namespace {

void ReleasePayload(OsaMessage* msg) {
    if ((msg->flags & OSA_MSG_OWNS_PAYLOAD) != 0 && msg->payload != nullptr) {
        if (msg->releaseFn != nullptr) {
            msg->releaseFn(msg->payload);
        } else {
            std::free(msg->payload);
        }
        msg->payload = nullptr;
    }
}

// Only messages that the runtime allocated are freed by it; anything else
// (such as a stop message living in OSA_tskDelete's frame) belongs to whoever
// made it.
void ReleaseMessage(OsaMessage* msg) {
    ReleasePayload(msg);
    if ((msg->flags & OSA_MSG_MADE_BY_RUNTIME) != 0) {
        std::free(msg);
    }
}

OsaMessage* NewMessage(OsaMailbox* to, uint16_t command, void* payload, uint16_t flags) {
    auto* msg = static_cast<OsaMessage*>(OSA_memAlloc(sizeof(OsaMessage)));
    if (msg == nullptr) {
        return nullptr;
    }
    *msg = OsaMessage{to, nullptr, payload, 0, command, flags, nullptr};
    return msg;
}

} // namespace

int32_t OSA_mbxCreate(OsaMailbox* mbx) {
    if (mbx == nullptr) {
        OSA_ASSERT_REPORT("OSA_mbxCreate");
        return -1;
    }
    int32_t status = OSA_queCreate(&mbx->recvQueue);
    status |= OSA_queCreate(&mbx->ackQueue);
    if (status != 0) {
        std::fprintf(stderr, " ERROR  (%s|%s|%d): ", __FILE__, "OSA_mbxCreate", __LINE__);
        std::fprintf(stderr, "OSA_mbxCreate() = %d \r\n", status);
        std::fflush(stderr);
    }
    return status;
}

int32_t OSA_mbxSendMsgCb(OsaMailbox* mbx) {
    if (mbx == nullptr) {
        OSA_ASSERT_REPORT("OSA_mbxSendMsgCb");
        return -1;
    }
    OsaMessage* msg = NewMessage(mbx, OSA_CMD_STOP, nullptr, OSA_MSG_MADE_BY_RUNTIME);
    if (msg == nullptr) {
        OSA_ASSERT_REPORT("OSA_mbxSendMsgCb");
        return -1;
    }
    const int32_t result = OSA_quePut(&mbx->recvQueue, msg, OSA_WAIT_FOREVER);
    if (result != 0) {
        OSA_ASSERT_REPORT("OSA_mbxSendMsgCb");
        std::free(msg);
    }
    return result;
}

int32_t OSA_mbxSendNotifyMsgCb(OsaMailbox* mbx, uint16_t command, void* payload) {
    if (mbx == nullptr) {
        OSA_ASSERT_REPORT("OSA_mbxSendNotifyMsgCb");
        std::free(payload); // the payload has passed to the runtime all the same
        return -1;
    }
    int32_t result = -1;
    OsaMessage* msg =
        NewMessage(mbx, command, payload, OSA_MSG_MADE_BY_RUNTIME | OSA_MSG_OWNS_PAYLOAD);
    if (msg != nullptr) {
        result = OSA_quePut(&mbx->recvQueue, msg, OSA_NO_WAIT);
        if (result != 0) {
            std::free(msg);
        }
    }
    if (result != 0) {
        std::free(payload);
    }
    return result;
}

int32_t OSA_mbxWaitMsg(OsaMailbox* mbx, OsaMessage** msg) {
    if (mbx == nullptr || msg == nullptr) {
        OSA_ASSERT_REPORT("OSA_mbxWaitMsg");
        return -1;
    }
    const int32_t result = OSA_queGet(&mbx->recvQueue, msg, OSA_WAIT_FOREVER);
    if (result != 0) {
        OSA_ASSERT_REPORT("OSA_mbxWaitMsg");
        *msg = nullptr;
    }
    return result;
}

int32_t OSA_mbxAckOrFreeMsg(OsaMessage* msg) {
    if (msg == nullptr) {
        return -1;
    }
    if ((msg->flags & OSA_MSG_WANT_ACK) != 0) {
        msg->status = 0;
        // Acknowledgements go to the sender's ackQueue. The put does not wait:
        // a receiver must not hang on a sender that no longer drains its acks.
        const int32_t result =
            msg->from != nullptr ? OSA_quePut(&msg->from->ackQueue, msg, OSA_NO_WAIT) : -1;
        if (result != 0) {
            OSA_ASSERT_REPORT("OSA_mbxAckOrFreeMsg");
            ReleaseMessage(msg); // nobody else would ever free it
        }
        return result;
    }
    ReleaseMessage(msg);
    return 0;
}

int32_t OSA_mbxFlush(OsaMailbox* mbx) {
    if (mbx == nullptr) {
        return -1;
    }
    OsaMessage* msg = nullptr;
    while (OSA_queGet(&mbx->recvQueue, &msg, OSA_NO_WAIT) == 0) {
        OSA_mbxAckOrFreeMsg(msg);
    }
    while (OSA_queGet(&mbx->ackQueue, &msg, OSA_NO_WAIT) == 0) {
        ReleaseMessage(msg);
    }
    return 0;
}

void OSA_mbxDelete(OsaMailbox* mbx) {
    if (mbx == nullptr) {
        return;
    }
    OSA_queDelete(&mbx->recvQueue);
    OSA_queDelete(&mbx->ackQueue);
}
