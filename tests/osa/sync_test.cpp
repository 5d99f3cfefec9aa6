#include "osa/osa_sync.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(SyncStandIns, AutoResetEventReleasesOneWaiterAndManualResetReleasesAll) {
    OsaEventHandle autoEvent = OSA_eventCreate(false, false);
    ASSERT_NE(autoEvent, nullptr);
    EXPECT_EQ(OSA_eventWait(autoEvent, 20), OSA_WAIT_TIMED_OUT);
    std::atomic<int> woken{0};
    auto waiter = [&] {
        if (OSA_eventWait(autoEvent, 300) == OSA_WAIT_SIGNALED) {
            ++woken;
        }
    };
    std::thread a(waiter), b(waiter);
    std::this_thread::sleep_for(30ms);
    OSA_eventSet(autoEvent);
    a.join();
    b.join();
    EXPECT_EQ(woken, 1);
    EXPECT_EQ(OSA_eventWait(autoEvent, 0), OSA_WAIT_TIMED_OUT); // cleared by the waiter
    OSA_eventClose(autoEvent);

    OsaEventHandle manualEvent = OSA_eventCreate(true, false);
    OSA_eventSet(manualEvent);
    EXPECT_EQ(OSA_eventWait(manualEvent, 0), OSA_WAIT_SIGNALED);
    EXPECT_EQ(OSA_eventWait(manualEvent, 0), OSA_WAIT_SIGNALED); // stays set
    OSA_eventReset(manualEvent);
    EXPECT_EQ(OSA_eventWait(manualEvent, 0), OSA_WAIT_TIMED_OUT);
    OSA_eventClose(manualEvent);
}

std::atomic<int> g_entryRuns{0};
uint32_t CountingEntry(void*) {
    ++g_entryRuns;
    return 0;
}

TEST(SyncStandIns, SuspendedThreadRunsOnlyOnceResumedAndClosesEitherWay) {
    g_entryRuns = 0;
    uint32_t id = 0;
    OsaThreadHandle th = OSA_threadCreateSuspended(CountingEntry, nullptr, 0x40001, &id);
    ASSERT_NE(th, nullptr);
    EXPECT_NE(id, 0u);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(g_entryRuns, 0);
    EXPECT_EQ(OSA_threadWait(th, 10), OSA_WAIT_TIMED_OUT);
    OSA_threadResume(th);
    EXPECT_EQ(OSA_threadWait(th, 2000), OSA_WAIT_SIGNALED);
    EXPECT_EQ(g_entryRuns, 1);
    OSA_threadClose(th);

    // Closing a thread that was never resumed neither hangs nor runs it.
    OsaThreadHandle never = OSA_threadCreateSuspended(CountingEntry, nullptr, 0x40001, nullptr);
    ASSERT_NE(never, nullptr);
    OSA_threadClose(never);
    EXPECT_EQ(g_entryRuns, 1);
}

} // namespace
