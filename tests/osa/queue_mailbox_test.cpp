#include "osa/osa_alloc.h"
#include "osa/osa_mbx.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

namespace {

using namespace std::chrono_literals;

int g_releaseCalls = 0;
void* g_releasedPayload = nullptr;
void CountingRelease(void* payload) {
    ++g_releaseCalls;
    g_releasedPayload = payload;
}

OsaMessage* RuntimeMessage(uint16_t flags, void* payload) {
    auto* msg = static_cast<OsaMessage*>(std::calloc(1, sizeof(OsaMessage)));
    msg->flags = flags;
    msg->payload = payload;
    msg->releaseFn = CountingRelease;
    return msg;
}

TEST(Queue, KeepsOrderAcrossTheWrapAndRefusesWhenFullOrEmpty) {
    OsaQueue que{};
    ASSERT_EQ(OSA_queCreate(&que), 0);
    EXPECT_EQ(que.capacity, OSA_QUEUE_LEN);
    OsaMessage msgs[OSA_QUEUE_LEN + 8]{};
    OsaMessage* got = nullptr;
    EXPECT_EQ(OSA_queGet(&que, &got, OSA_NO_WAIT), -1);

    // 20 in, 20 out, four times: the ring wraps twice.
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(OSA_quePut(&que, &msgs[i], OSA_NO_WAIT), 0);
        }
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(OSA_queGet(&que, &got, OSA_NO_WAIT), 0);
            ASSERT_EQ(got, &msgs[i]) << "round " << round;
        }
        EXPECT_EQ(que.count, 0u);
    }

    for (uint32_t i = 0; i < OSA_QUEUE_LEN; ++i) {
        ASSERT_EQ(OSA_quePut(&que, &msgs[i], OSA_NO_WAIT), 0);
    }
    EXPECT_EQ(OSA_quePut(&que, &msgs[OSA_QUEUE_LEN], OSA_NO_WAIT), -1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OSA_quePut(&que, &msgs[OSA_QUEUE_LEN], 50), -1); // a finite wait ends
    EXPECT_GE(std::chrono::steady_clock::now() - start, 45ms);
    EXPECT_EQ(que.count, OSA_QUEUE_LEN);

    ASSERT_EQ(OSA_queGet(&que, &got, OSA_NO_WAIT), 0);
    EXPECT_EQ(got, &msgs[0]);
    EXPECT_EQ(OSA_quePut(&que, &msgs[OSA_QUEUE_LEN], OSA_NO_WAIT), 0);
    for (uint32_t i = 1; i <= OSA_QUEUE_LEN; ++i) {
        ASSERT_EQ(OSA_queGet(&que, &got, OSA_NO_WAIT), 0);
        ASSERT_EQ(got, &msgs[i]);
    }
    OSA_queDelete(&que);
    EXPECT_EQ(OSA_quePut(&que, &msgs[0], OSA_NO_WAIT), -1); // deleted: refused, no crash
}

TEST(Queue, AWaitingPutResumesWhenRoomIsMade) {
    OsaQueue que{};
    ASSERT_EQ(OSA_queCreate(&que), 0);
    OsaMessage msgs[OSA_QUEUE_LEN + 1]{};
    for (uint32_t i = 0; i < OSA_QUEUE_LEN; ++i) {
        ASSERT_EQ(OSA_quePut(&que, &msgs[i], OSA_NO_WAIT), 0);
    }
    std::atomic<bool> putDone{false};
    std::thread putter([&] {
        EXPECT_EQ(OSA_quePut(&que, &msgs[OSA_QUEUE_LEN], OSA_WAIT_FOREVER), 0);
        putDone = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(putDone);
    OsaMessage* got = nullptr;
    ASSERT_EQ(OSA_queGet(&que, &got, OSA_NO_WAIT), 0);
    putter.join();
    EXPECT_EQ(que.count, OSA_QUEUE_LEN);
    OSA_queDelete(&que);
}

TEST(Mailbox, NotificationFillsTheMessageAndTheThirtyThirdIsRefused) {
    OsaMailbox mbx{};
    ASSERT_EQ(OSA_mbxCreate(&mbx), 0);
    void* first = std::malloc(16);
    ASSERT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 101, first), 0);
    for (uint32_t i = 1; i < OSA_QUEUE_LEN; ++i) {
        ASSERT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 101, std::malloc(16)), 0);
    }
    // Refused at once; the runtime frees the payload (the leak checker sees it).
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 101, std::malloc(16)), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(mbx.recvQueue.count, OSA_QUEUE_LEN);

    OsaMessage* msg = nullptr;
    ASSERT_EQ(OSA_mbxWaitMsg(&mbx, &msg), 0);
    EXPECT_EQ(msg->to, &mbx);
    EXPECT_EQ(msg->from, nullptr);
    EXPECT_EQ(msg->payload, first);
    EXPECT_EQ(msg->status, 0);
    EXPECT_EQ(msg->command, 101);
    EXPECT_EQ(msg->flags, 0x5);
    EXPECT_EQ(msg->releaseFn, nullptr);
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(msg), 0);
    EXPECT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 101, std::malloc(16)), 0);
    EXPECT_EQ(mbx.ackQueue.count, 0u); // nothing asked for an acknowledgement

    // Without memory for the message the payload is still the runtime's to free.
    ASSERT_EQ(OSA_mbxWaitMsg(&mbx, &msg), 0);
    OSA_mbxAckOrFreeMsg(msg);
    OSA_memFailNext(1);
    EXPECT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 101, std::malloc(16)), -1);
    EXPECT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 101, std::malloc(16)), 0);

    OSA_mbxFlush(&mbx);
    EXPECT_EQ(mbx.recvQueue.count, 0u);
    OSA_mbxDelete(&mbx);
}

TEST(Mailbox, AckOrFreeReleasesExactlyWhatTheFlagsSay) {
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(nullptr), -1);
    int payload = 0;

    g_releaseCalls = 0;
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(RuntimeMessage(0x5, &payload)), 0);
    EXPECT_EQ(g_releaseCalls, 1);
    EXPECT_EQ(g_releasedPayload, &payload);

    g_releaseCalls = 0;
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(RuntimeMessage(0x1, &payload)), 0); // payload not owned
    EXPECT_EQ(g_releaseCalls, 0);

    // A message the runtime did not make is never freed by it (the leak and
    // address checkers would object), but an owned payload still goes.
    OsaMessage outside{};
    outside.flags = OSA_MSG_OWNS_PAYLOAD;
    outside.payload = &payload;
    outside.releaseFn = CountingRelease;
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(&outside), 0);
    EXPECT_EQ(g_releaseCalls, 1);
    EXPECT_EQ(outside.payload, nullptr);

    // An acknowledgement goes back to the sender's ackQueue, status cleared.
    OsaMailbox sender{};
    ASSERT_EQ(OSA_mbxCreate(&sender), 0);
    OsaMessage* acked = RuntimeMessage(0x7, &payload);
    acked->from = &sender;
    acked->status = 42;
    g_releaseCalls = 0;
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(acked), 0);
    EXPECT_EQ(g_releaseCalls, 0);
    ASSERT_EQ(sender.ackQueue.count, 1u);
    EXPECT_EQ(sender.ackQueue.slots[0], acked);
    EXPECT_EQ(acked->status, 0);
    OSA_mbxFlush(&sender); // frees it with its payload
    EXPECT_EQ(g_releaseCalls, 1);
    OSA_mbxDelete(&sender);

    // An acknowledgement with nowhere to go is reported and released, not lost.
    testing::internal::CaptureStderr();
    EXPECT_EQ(OSA_mbxAckOrFreeMsg(RuntimeMessage(0x7, &payload)), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("|OSA_mbxAckOrFreeMsg|"),
              std::string::npos);
    EXPECT_EQ(g_releaseCalls, 2);
}

TEST(Mailbox, FailedCreationIsReportedAndHoldsNothing) {
    OsaMailbox mbx{};
    OSA_memFailAfter(1, 1); // the receive queue's first event
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int32_t status = OSA_mbxCreate(&mbx);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, -1);
    EXPECT_EQ(out, "CreateEvent error: 12\n");
    EXPECT_TRUE(
        std::regex_match(err, std::regex(R"( ERROR  \(.*osa_mbx\.cpp\|OSA_mbxCreate\|[0-9]+\): )"
                                         R"(OSA_mbxCreate\(\) = -1 \r\n)")))
        << err;
    EXPECT_EQ(mbx.recvQueue.lock.impl, nullptr);
    EXPECT_NE(mbx.ackQueue.lock.impl, nullptr); // created all the same
    EXPECT_EQ(OSA_mbxSendNotifyMsgCb(&mbx, 1, std::malloc(4)), -1);
    OSA_mbxDelete(&mbx);
}

} // namespace
