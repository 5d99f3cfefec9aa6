// Closing: refused while an upgrade runs; otherwise search stopped, SDK
// released, every worker stopped, and only then the dialog ends.
#include "dialog/engine_stop.h"
#include "tolvane_dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

bool CTolvaneDlg::OnClose() {
    if (!m_state.CloseEnabled())
        return false;
    StopWorkersAndSdk();
    done(QDialog::Rejected);
    return true;
}

void CTolvaneDlg::StopWorkersAndSdk() {
    if (!m_state.MarkClosed())
        return;
    m_bRunning = 0;
    // From here no worker or search thread can reach the dialog; notes still
    // queued are freed undispatched.
    StopEngine(m_upgradeTasks.data(), m_upgradeTasks.size(), m_versionTask, m_noteWindow.load());
    m_noteWindow = 0;
    m_foundNotes.Close();
    m_versions.Clear();
    if (m_versionTimer)
        m_versionTimer->stop();
}

void CTolvaneDlg::closeEvent(QCloseEvent* event) {
    if (OnClose())
        event->accept();
    else
        event->ignore();
}

// Enter and Escape would end the dialog behind the close sequence: they do
// nothing here.
void CTolvaneDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CTolvaneDlg::reject() {}
