// The batch's rules as the window and tolvane-cli drive them, without
// workers: what is sent when, what a stop holds back, and what is retried.
#include "dialog/batch_control.h"
#include "engine/requests_notes.h"
#include "sdk/lpr_sdk.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

struct Sent {
    uint32_t worker;
    std::string address;
    int32_t attempt;
};

std::vector<BatchCamera> Cameras(int count) {
    std::vector<BatchCamera> cameras;
    for (int i = 0; i < count; ++i) {
        cameras.push_back({"10.0.0." + std::to_string(i), 80, "admin", "ploma", size_t(i)});
    }
    return cameras;
}

BatchOutcome Ok(const std::string& address) {
    return {address, true, UPGRADE_OK, 0, true};
}

BatchOutcome Failed(const std::string& address, int32_t code, int32_t sdkError = 0,
                    bool accepted = false) {
    return {address, false, code, sdkError, accepted};
}

} // namespace

TEST(BatchControl, CanaryGroupGatesTheRestWhichKeepsTheWorkersTurn) {
    const Clock::time_point t0{};
    std::vector<Sent> sent;
    BatchControl batch(2,
                       [&](uint32_t w, const BatchCamera& c) {
                           return sent.push_back({w, c.address, c.attempt}), SEND_OK;
                       },
                       {3, 0, 0, 30s});
    EXPECT_TRUE(batch.Start(Cameras(7), t0).empty());
    // One request per worker while a rule may stop the batch.
    ASSERT_EQ(sent.size(), 2u);
    batch.OnResult(Ok("10.0.0.0"), t0 + 1s);
    batch.OnResult(Ok("10.0.0.1"), t0 + 2s);
    EXPECT_EQ(sent.size(), 3u) << "the rest waits for the whole group";
    batch.OnResult(Ok("10.0.0.2"), t0 + 3s);
    ASSERT_EQ(sent.size(), 5u);
    // Camera 3 goes to worker 1, camera 4 to worker 0.
    EXPECT_EQ(sent[3].address, "10.0.0.3");
    EXPECT_EQ(sent[3].worker, 1u);
    EXPECT_EQ(sent[4].worker, 0u);
}

TEST(BatchControl, RetriesOnlyBeforeAnImageWasTakenAfterTheWaitAndThresholdCountsFinalFailures) {
    EXPECT_TRUE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_OPEN)));
    EXPECT_TRUE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_NO_VERSION)));
    EXPECT_TRUE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_SEND, LPR_ERR_BUSY)));
    EXPECT_TRUE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_SEND, LPR_ERR_LOST_WHILE_SENDING)));
    EXPECT_FALSE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_SEND, 0))); // may have flashed
    EXPECT_FALSE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_SEND, LPR_ERR_FLASH_FAILED)));
    EXPECT_FALSE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_NO_VERSION, 0, true)));
    EXPECT_FALSE(FailureMayBeRetried(Failed("a", UPGRADE_ERR_VERSION_MISMATCH)));

    const Clock::time_point t0{};
    std::vector<Sent> sent;
    BatchControl batch(1,
                       [&](uint32_t w, const BatchCamera& c) {
                           return sent.push_back({w, c.address, c.attempt}), SEND_OK;
                       },
                       {0, 2, 1, 30s});
    batch.Start(Cameras(4), t0);
    ASSERT_EQ(sent.size(), 1u);
    BatchControl::Answer answer = batch.OnResult(Failed("10.0.0.0", UPGRADE_ERR_OPEN), t0 + 1s);
    EXPECT_FALSE(answer.final);
    EXPECT_EQ(batch.Counts().failed, 0);
    // The retry goes behind the worker's queue: camera 1 comes first.
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].address, "10.0.0.1");
    answer =
        batch.OnResult(Failed("10.0.0.1", UPGRADE_ERR_SEND, LPR_ERR_FLASH_FAILED, true), t0 + 2s);
    EXPECT_TRUE(answer.final);
    EXPECT_EQ(sent.back().address, "10.0.0.2");
    batch.OnResult(Ok("10.0.0.2"), t0 + 3s);
    EXPECT_EQ(sent.back().address, "10.0.0.3");
    batch.OnResult(Ok("10.0.0.3"), t0 + 4s);
    // Only the retry is left, and it waits 30 s from its last try.
    EXPECT_EQ(batch.NextDue(), t0 + 31s);
    EXPECT_TRUE(batch.SendDue(t0 + 30s).empty());
    EXPECT_EQ(sent.size(), 4u);
    batch.SendDue(t0 + 31s);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[4].attempt, 2);
    // Its second failure is final (one retry) and the second one: the threshold.
    answer = batch.OnResult(Failed("10.0.0.0", UPGRADE_ERR_OPEN), t0 + 40s);
    EXPECT_TRUE(answer.final);
    EXPECT_EQ(batch.StopReason(), BatchStopReason::Threshold);
    EXPECT_TRUE(batch.Finished());
    EXPECT_EQ(batch.Counts().failed, 2);
}

TEST(BatchControl, TimeLeftFollowsTheBusiestWorker) {
    const Clock::time_point t0{};
    BatchControl batch(2, [](uint32_t, const BatchCamera&) { return SEND_OK; });
    batch.Start(Cameras(6), t0);
    EXPECT_FALSE(batch.TimeLeft(t0 + 5s).has_value());
    batch.OnResult(Ok("10.0.0.0"), t0 + 10s);
    // Runs take 10 s. Worker 0: two left, the next begun just now; worker 1:
    // three left, its first begun 10 s ago.
    EXPECT_EQ(batch.TimeLeft(t0 + 10s), std::chrono::milliseconds(20s));
    EXPECT_EQ(batch.TimeLeft(t0 + 15s), std::chrono::milliseconds(15s));
}
