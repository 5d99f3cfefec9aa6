#include "osa/osa_alloc.h"
#include "test_task.h"

#include <cstdio>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Runs OSA_tskDelete on another thread so that a hang fails the test instead
// of stopping the run.
// Returns once the deletion has begun (the running flag is down), so that what
// the test does next happens during the deletion however late the deleting
// thread gets to run (Wine starts threads slowly).
std::future<int32_t> DeleteAsync(OsaTask* task) {
    auto deletion = std::async(std::launch::async, [task] { return OSA_tskDelete(task); });
    const auto bound = std::chrono::steady_clock::now() + 5s;
    while (OSA_tskIsRunning(task) && std::chrono::steady_clock::now() < bound) {
        std::this_thread::sleep_for(1ms);
    }
    return deletion;
}

// A deletion that hangs cannot be abandoned (its record is in use and its
// future would block on destruction), so the run ends with a message.
void ExpectFinishes(std::future<int32_t>& deletion) {
    if (deletion.wait_for(5s) != std::future_status::ready) {
        std::fprintf(stderr, "OSA_tskDelete did not return within 5 s\n");
        std::_Exit(1);
    }
    EXPECT_EQ(deletion.get(), 0);
}

// Sends one request that the handler holds until Release().
void StartLongRequest(RecordingTask& rt) {
    rt.blockHandler = true;
    ASSERT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand, IntPayload(1)), 0);
    ASSERT_TRUE(rt.WaitUntil([&] { return rt.handlerEntered; }));
}

TEST(Task, DeletingAnIdleTaskWakesItPromptlyAndUnservedCommandsAreFreed) {
    RecordingTask rt;
    ASSERT_EQ(OSA_tskCreate(&rt.task, RecordingTaskMain), 0);
    EXPECT_TRUE(OSA_tskIsRunning(&rt.task));
    EXPECT_NE(rt.task.threadId, 0u);

    EXPECT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, 77, IntPayload(77)), 0); // not served
    EXPECT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand, IntPayload(5)), 0);
    ASSERT_TRUE(rt.WaitUntil([&] { return rt.servedPayloads.size() == 1; }));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OSA_tskDelete(&rt.task), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(rt.mainResult, 0);
    EXPECT_EQ(rt.servedPayloads, std::vector<int>{5});
    EXPECT_FALSE(OSA_tskIsRunning(&rt.task));
    EXPECT_EQ(rt.task.thread, nullptr);
    EXPECT_EQ(rt.task.mainFn, nullptr);
    EXPECT_EQ(rt.task.threadId, 0u);
    EXPECT_EQ(OSA_tskDelete(&rt.task), 0); // a second deletion finds nothing to do
}

TEST(Task, DeletionWaitsForTheCurrentRequestAndDropsTheQueuedOnes) {
    RecordingTask rt;
    ASSERT_EQ(OSA_tskCreate(&rt.task, RecordingTaskMain), 0);
    StartLongRequest(rt);
    for (int i = 2; i <= 4; ++i) {
        ASSERT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand, IntPayload(i)), 0);
    }
    auto deletion = DeleteAsync(&rt.task);
    EXPECT_EQ(deletion.wait_for(100ms), std::future_status::timeout);
    rt.Release();
    ExpectFinishes(deletion);
    // The three waiting requests were freed with their payloads, unserved.
    EXPECT_EQ(rt.servedPayloads, std::vector<int>{1});
    EXPECT_EQ(rt.mainResult, 0);
}

// The stop message cannot queue behind a full mailbox; deletion must still end
// once the busy handler finishes.
TEST(Task, DeletingABusyTaskWithAFullMailboxDoesNotHang) {
    RecordingTask rt;
    ASSERT_EQ(OSA_tskCreate(&rt.task, RecordingTaskMain), 0);
    StartLongRequest(rt);
    for (uint32_t i = 0; i < OSA_QUEUE_LEN; ++i) {
        ASSERT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand, IntPayload(10)), 0);
    }
    EXPECT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand, IntPayload(11)), -1);
    auto deletion = DeleteAsync(&rt.task);
    EXPECT_EQ(deletion.wait_for(50ms), std::future_status::timeout);
    rt.Release();
    ExpectFinishes(deletion);
    EXPECT_EQ(rt.servedPayloads, std::vector<int>{1});
}

TEST(Task, DeletingWithoutMemoryForTheStopMessageStillEnds) {
    {
        RecordingTask idle;
        ASSERT_EQ(OSA_tskCreate(&idle.task, RecordingTaskMain), 0);
        OSA_memFailNext(1);
        auto deletion = DeleteAsync(&idle.task);
        ExpectFinishes(deletion);
        EXPECT_EQ(idle.mainResult, 0);
    }
    {
        // The stand-in stop message stays queued behind a request until the
        // flush; freeing it there would free stack memory.
        RecordingTask busy;
        ASSERT_EQ(OSA_tskCreate(&busy.task, RecordingTaskMain), 0);
        StartLongRequest(busy);
        ASSERT_EQ(OSA_tskSendNotifyMsgCb(&busy.task, kServedCommand, IntPayload(2)), 0);
        OSA_memFailNext(1);
        auto deletion = DeleteAsync(&busy.task);
        EXPECT_EQ(deletion.wait_for(50ms), std::future_status::timeout);
        busy.Release();
        ExpectFinishes(deletion);
        EXPECT_EQ(busy.servedPayloads, std::vector<int>{1});
    }
}

TEST(Task, MissingRecordsAreReportedAndTheOperationFails) {
    const std::regex createReport(R"( ASSERT \(.*osa_tsk\.cpp\|OSA_tskCreate\|[0-9]+\)\r\n)");
    OsaTask task{};
    testing::internal::CaptureStderr();
    EXPECT_EQ(OSA_tskCreate(&task, nullptr), -1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(err, createReport)) << err;
    EXPECT_EQ(task.thread, nullptr);
    EXPECT_EQ(OSA_tskDelete(&task), 0); // the failed record can still be deleted

    testing::internal::CaptureStderr();
    EXPECT_EQ(OSA_tskSendNotifyMsgCb(nullptr, kServedCommand, IntPayload(1)), -1);
    EXPECT_EQ(OSA_tskDelete(nullptr), -1);
    EXPECT_EQ(OSA_mbxWaitMsg(nullptr, nullptr), -1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("|OSA_tskSendNotifyMsgCb|"), std::string::npos) << err;
    EXPECT_NE(err.find("|OSA_tskDelete|"), std::string::npos) << err;
    EXPECT_NE(err.find("|OSA_mbxWaitMsg|"), std::string::npos) << err;
}

// Each resource of a task can fail to be made; creation then fails and
// leaves nothing behind that the leak checker could find.
TEST(Task, CreationFailuresReleaseWhatWasMade) {
    constexpr int kMailboxAllocations = 6; // two queues: a lock and two events each
    const int allowedBeforeFailure[] = {0, 3, kMailboxAllocations, kMailboxAllocations + 1};
    for (int allowed : allowedBeforeFailure) {
        RecordingTask rt;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        OSA_memFailAfter(allowed, 1);
        EXPECT_EQ(OSA_tskCreate(&rt.task, RecordingTaskMain), -1) << allowed;
        OSA_memFailNext(0);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        EXPECT_FALSE(OSA_tskIsRunning(&rt.task));
        EXPECT_EQ(rt.task.thread, nullptr);
        EXPECT_EQ(rt.mainResult, -100) << "the main function never ran";
        EXPECT_EQ(OSA_tskSendNotifyMsgCb(&rt.task, kServedCommand, IntPayload(1)), -1);
        EXPECT_EQ(OSA_tskDelete(&rt.task), 0);
    }
}

} // namespace
