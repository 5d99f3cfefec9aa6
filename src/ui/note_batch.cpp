#include "note_batch.h"

#include "engine/requests_notes.h"

void NoteBatch::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_notes.push_back({message, wParam, lParam});
        wake = !m_wakePending;
        m_wakePending = true;
    }
    if (wake)
        m_wake();
}

bool NoteBatch::Take(Note* note) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_notes.empty())
        return false;
    *note = m_notes.front();
    m_notes.pop_front();
    return true;
}

void NoteBatch::Drain(const DispatchFn& dispatch, std::chrono::nanoseconds slice) {
    {
        // Notes posted from here on wake a later drain (or a nested one).
        std::lock_guard<std::mutex> guard(m_mutex);
        m_wakePending = false;
    }
    const auto end = std::chrono::steady_clock::now() + slice;
    Note note{};
    while (std::chrono::steady_clock::now() < end) {
        if (!Take(&note))
            return;
        dispatch(note);
    }
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        wake = !m_notes.empty() && !m_wakePending;
        m_wakePending = m_wakePending || wake;
    }
    if (wake)
        m_wake();
}

void NoteBatch::FreeAll() {
    Note note{};
    while (Take(&note))
        FreeNoteMessage(note.message, note.wParam, note.lParam);
}
