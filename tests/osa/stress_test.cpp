#include "test_task.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int kSenders = 4;
constexpr int kPerSender = 3000;

// Each sender's messages must arrive complete and in its own order, whatever
// the interleaving; senders retry when the mailbox refuses.
TEST(Stress, SeveralSendersOneReceiverLoseAndReorderNothing) {
    RecordingTask rt;
    ASSERT_EQ(OSA_tskCreate(&rt.task, RecordingTaskMain), 0);
    std::atomic<int> refusals{0};
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kPerSender; ++i) {
                while (OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand,
                                              IntPayload(s * kPerSender + i)) != 0) {
                    ++refusals;
                    std::this_thread::yield();
                }
            }
        });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    ASSERT_TRUE(rt.WaitUntil([&] { return rt.servedPayloads.size() == kSenders * kPerSender; },
                             std::chrono::seconds(30)));
    EXPECT_EQ(OSA_tskDelete(&rt.task), 0);

    std::vector<int> next(kSenders, 0);
    for (int value : rt.servedPayloads) {
        const int sender = value / kPerSender;
        ASSERT_EQ(value % kPerSender, next[sender]) << "sender " << sender;
        ++next[sender];
    }
    for (int s = 0; s < kSenders; ++s) {
        EXPECT_EQ(next[s], kPerSender);
    }
    RecordProperty("refusals", refusals.load());
}

} // namespace
