// Closing: refused while an upgrade runs; otherwise search stopped, SDK
// released, every worker stopped, and only then the dialog ends.
#include "engine/note_window.h"
#include "engine/version_worker.h"
#include "osa/osa_tsk.h"
#include "sdk/lpr_sdk.h"
#include "tolvane_dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <cstdlib>

namespace {

void DeleteTask(OsaTask*& task) {
    if (!task)
        return;
    OSA_tskDelete(task);
    std::free(task);
    task = nullptr;
}

} // namespace

bool CTolvaneDlg::OnClose() {
    if (!m_bCloseEnabled)
        return false;
    StopWorkersAndSdk();
    done(QDialog::Rejected);
    return true;
}

void CTolvaneDlg::StopWorkersAndSdk() {
    if (m_bClosed)
        return;
    m_bClosed = true;
    m_bRunning = 0;
    LprSdkActive().LprStopFindDevice();
    OSA_csEnter(&g_sdkLock);
    LprSdkActive().LprCleanup();
    OSA_csLeave(&g_sdkLock);
    for (OsaTask*& task : m_upgradeTasks)
        DeleteTask(task);
    // The version worker tests the run flag before each camera, so it ends
    // after the visit in hand; left running it would post to a dead dialog.
    DeleteTask(m_versionTask);
    // From here no worker or search thread can reach the dialog; notes still
    // queued are freed undispatched.
    const NoteWindow window = m_noteWindow.exchange(0);
    if (window)
        UnregisterNoteWindow(window);
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
