#include "engine/note_window.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(NoteWindows, HandlesAreUniqueAndAClosedWindowRefusesPosts) {
    int calls = 0;
    const NoteWindow a = RegisterNoteWindow([&](uint32_t, uintptr_t, intptr_t) { ++calls; });
    const NoteWindow b = RegisterNoteWindow([&](uint32_t, uintptr_t, intptr_t) { ++calls; });
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterNoteWindow(NoteSink{}), 0u);
    EXPECT_TRUE(PostNoteMessage(a, 1, 0, 0));
    UnregisterNoteWindow(a);
    EXPECT_FALSE(PostNoteMessage(a, 1, 0, 0));
    EXPECT_FALSE(PostNoteMessage(0, 1, 0, 0));
    EXPECT_TRUE(PostNoteMessage(b, 1, 0, 0));
    UnregisterNoteWindow(b);
    UnregisterNoteWindow(b); // twice is harmless
    EXPECT_EQ(calls, 2);
    const NoteWindow c = RegisterNoteWindow([](uint32_t, uintptr_t, intptr_t) {});
    EXPECT_NE(c, a); // a stale handle never reaches a newer window
    EXPECT_NE(c, b);
    UnregisterNoteWindow(c);
}

// A window that closes while a worker is posting into it must not be
// destroyed under that post.
TEST(NoteWindows, UnregisterWaitsForAPostThatIsUnderWay) {
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> sinkRunning{false};
    const NoteWindow window = RegisterNoteWindow([&](uint32_t, uintptr_t, intptr_t) {
        sinkRunning = true;
        entered.set_value();
        released.wait();
        sinkRunning = false;
    });
    std::thread poster([&] { EXPECT_TRUE(PostNoteMessage(window, 1, 0, 0)); });
    entered.get_future().wait();
    auto closing = std::async(std::launch::async, [&] {
        UnregisterNoteWindow(window);
        return sinkRunning.load();
    });
    EXPECT_EQ(closing.wait_for(50ms), std::future_status::timeout);
    release.set_value();
    EXPECT_FALSE(closing.get()) << "unregister returned while the sink was running";
    poster.join();
    EXPECT_FALSE(PostNoteMessage(window, 1, 0, 0));
}

} // namespace
