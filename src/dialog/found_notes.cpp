#include "dialog/found_notes.h"

#include <utility>

namespace {

constexpr unsigned kGenerationShift = 16;
// What of a generation wParam carries on every platform (32-bit too).
constexpr uint32_t kGenerationMask = 0xFFFF;

} // namespace

FoundNotes::FoundNotes(const NoteOwner& dialog, NoteSink sink)
    : m_dialog(dialog), m_sink(std::move(sink)) {}

FoundNotes::~FoundNotes() {
    Close();
}

void FoundNotes::Renew() {
    m_generation = (m_generation + 1) & kGenerationMask;
    const uintptr_t mark = static_cast<uintptr_t>(m_generation) << kGenerationShift;
    const NoteWindow renewed = RegisterNoteWindow(
        [sink = m_sink, mark](uint32_t message, uintptr_t wParam, intptr_t lParam) {
            sink(message, (wParam & 0xFFFF) | mark, lParam);
        });
    // After this no post reaches the earlier window's sink.
    UnregisterNoteWindow(m_window.exchange(renewed));
}

void FoundNotes::Close() {
    UnregisterNoteWindow(m_window.exchange(0));
}

bool FoundNotes::IsCurrent(uintptr_t wParam) const {
    return ((wParam >> kGenerationShift) & kGenerationMask) == m_generation;
}
