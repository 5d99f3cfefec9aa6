// A posted note travelling to the dialog's thread as a Qt event. The event
// owns the records it carries until a handler takes them; an event that is
// never dispatched (its window is gone) frees them when it is destroyed.
#pragma once

#include <QEvent>
#include <cstdint>

class NoteEvent : public QEvent {
public:
    static QEvent::Type EventType();

    NoteEvent(uint32_t message, uintptr_t wParam, intptr_t lParam);
    ~NoteEvent() override;

    NoteEvent(const NoteEvent&) = delete;
    NoteEvent& operator=(const NoteEvent&) = delete;

    uint32_t Message() const { return m_message; }
    uintptr_t WParam() const { return m_wParam; }
    intptr_t LParam() const { return m_lParam; }

    // The handler now owns the records.
    void Take() { m_taken = true; }

private:
    uint32_t m_message;
    uintptr_t m_wParam;
    intptr_t m_lParam;
    bool m_taken = false;
};
