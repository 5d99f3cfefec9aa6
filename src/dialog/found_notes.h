// Where the search posts its reports: a note window of the device list's
// own, renewed each time the list is emptied. A report still on its way from
// an earlier search then either fails to post (its poster frees it) or
// arrives marked with that search's generation and is dropped, instead of
// filling the new list with a second row for its camera.
#pragma once

#include "engine/note_owner.h"

#include <atomic>
#include <cstdint>

class FoundNotes final : public NoteOwner {
public:
    // `dialog` answers IsRunning; `sink` is the dialog's own, which gets each
    // report with the generation above the port in wParam.
    FoundNotes(const NoteOwner& dialog, NoteSink sink);
    ~FoundNotes();
    FoundNotes(const FoundNotes&) = delete;
    FoundNotes& operator=(const FoundNotes&) = delete;

    // A new list: reports posted before this are no longer current.
    void Renew();
    // Nothing posts here any more (the dialog's close sequence).
    void Close();

    NoteWindow GetNoteWindow() const override { return m_window.load(); }
    bool IsRunning() const override { return m_dialog.IsRunning(); }

    // True for a report of the current search (or of a report posted to
    // the dialog itself before its first search).
    bool IsCurrent(uintptr_t wParam) const;

private:
    const NoteOwner& m_dialog;
    NoteSink m_sink;
    uint32_t m_generation = 0;
    std::atomic<NoteWindow> m_window{0};
};

// The port a found-device note carries in wParam.
inline int32_t FoundPort(uintptr_t wParam) {
    return static_cast<int32_t>(wParam & 0xFFFF);
}
