#include "probe_receiver.h"

#include "engine/note_window.h"
#include "note_event.h"
#include "sdk/lpr_sdk.h"
#include "tolvane_dlg.h"

#include <QCoreApplication>

CProbeReceiver::CProbeReceiver(CTolvaneDlg* dialog) : QObject(dialog), m_dialog(dialog) {
    m_window = RegisterNoteWindow([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        QCoreApplication::postEvent(this, new NoteEvent(message, wParam, lParam));
    });
}

CProbeReceiver::~CProbeReceiver() {
    LprSdkActive().LprStopProbe();
    UnregisterNoteWindow(m_window);
}

bool CProbeReceiver::IsRunning() const {
    return m_dialog->IsRunning();
}

bool CProbeReceiver::event(QEvent* event) {
    if (event->type() != NoteEvent::EventType())
        return QObject::event(event);
    auto* note = static_cast<NoteEvent*>(event);
    if (note->Message() == WM_DEVICE_FOUND) {
        note->Take();
        m_dialog->OnDeviceProbed(note->WParam(), note->LParam());
    }
    return true; // anything else is freed with the event
}
