#include "note_event.h"

#include "engine/requests_notes.h"

QEvent::Type NoteEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

NoteEvent::NoteEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

NoteEvent::~NoteEvent() {
    if (!m_taken)
        FreeNoteMessage(m_message, m_wParam, m_lParam);
}
