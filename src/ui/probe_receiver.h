// Where the answers to the dialog's unicast probes arrive: a note window of
// its own, so that a probed camera already listed is not listed twice while
// the broadcast search keeps its own rules.
#pragma once

#include "engine/requests_notes.h"

#include <QObject>

class CTolvaneDlg;

class CProbeReceiver : public QObject, public NoteOwner {
    Q_OBJECT
public:
    explicit CProbeReceiver(CTolvaneDlg* dialog);
    // Stops the probes still running, then takes no more notes.
    ~CProbeReceiver() override;

    NoteWindow GetNoteWindow() const override { return m_window; }
    bool IsRunning() const override;

protected:
    bool event(QEvent* event) override;

private:
    CTolvaneDlg* m_dialog;
    NoteWindow m_window = 0;
};
