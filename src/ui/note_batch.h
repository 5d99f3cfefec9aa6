// Notes posted to the dialog, handled in bursts: the posting threads queue
// them here and wake the window thread once, and the window thread then
// handles as many as a short slice allows before it paints again. A burst of
// notes for many rows thus repaints each visible row once, not once per note,
// while input still gets its turn between slices.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

class NoteBatch {
public:
    struct Note {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    // Asks the window thread to call Drain; called on the posting thread,
    // must not block.
    using WakeFn = std::function<void()>;
    using DispatchFn = std::function<void(const Note&)>;

    explicit NoteBatch(WakeFn wake) : m_wake(std::move(wake)) {}
    ~NoteBatch() { FreeAll(); }
    NoteBatch(const NoteBatch&) = delete;
    NoteBatch& operator=(const NoteBatch&) = delete;

    // Any thread. Takes ownership of what the note carries.
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Window thread: dispatches queued notes in order until none is left or
    // `slice` has passed, then wakes again for the rest. A handler may run
    // a nested event loop (a message box): notes keep being handled under it.
    void Drain(const DispatchFn& dispatch, std::chrono::nanoseconds slice);
    // Frees every queued note undispatched.
    void FreeAll();

private:
    bool Take(Note* note);

    WakeFn m_wake;
    std::mutex m_mutex;
    std::deque<Note> m_notes;
    bool m_wakePending = false;
};
