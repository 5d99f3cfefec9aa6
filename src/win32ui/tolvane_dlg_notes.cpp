// The four posted notes: found cameras, progress, results and versions.
#include "dialog/dialog_ids.h"
#include "dialog/ui_texts.h"
#include "tolvane_dlg.h"
#include "ui_language.h"

intptr_t CTolvaneDlg::OnDeviceFound(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<FoundDeviceNote*>(lParam);
    if (!note)
        return 0;
    const int32_t port = FoundPort(wParam);
    // A camera already listed keeps its one row and its one version read.
    if (AddFoundRow(m_listDevices, *note, port) >= 0 && m_versionTask) {
        m_versions.Request(*note, port);
        PumpVersions();
    }
    delete note;
    return 0;
}

void CTolvaneDlg::PumpVersions() {
    if (m_versions.Pump() > 0)
        SetTimer(m_hWnd, kVersionTimer, 20, nullptr);
    else
        KillTimer(m_hWnd, kVersionTimer);
}

intptr_t CTolvaneDlg::OnUpgradeProgress(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<UpgradeProgressNote*>(wParam);
    if (!note)
        return -1;
    auto* imageName = reinterpret_cast<char*>(lParam);
    const bool sendImage = note->value == UPGRADE_STEP_SEND_IMAGE;
    const std::string text = m_state.OnProgress(m_listDevices, FieldText(note->address),
                                                note->value, sendImage ? imageName : nullptr);
    if (sendImage)
        delete[] imageName;
    if (m_state.SingleMode()) {
        m_strSingleStatus = text;
        UpdateData(false);
    }
    delete note;
    return 0;
}

intptr_t CTolvaneDlg::OnUpgradeResult(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<UpgradeResultNote*>(wParam);
    if (!note)
        return -1;
    const std::string address = FieldText(note->address);
    // The version the camera came back with replaces the one read before; an
    // unreadable one leaves the cell empty rather than showing a stale version.
    if (note->check != UPGRADE_CHECK_NONE)
        SetRowsVersion(m_listDevices, address, FieldText(note->versionAfter));
    const ResultOutcome outcome = m_state.OnResult(m_listDevices, address, note->value, lParam);
    delete note;

    if (outcome.single) {
        ShowMessageBox(outcome.text, UiText(ui_text::kCaptionNotice));
        m_strSingleStatus.clear();
        UpdateData(false);
        EnableControls(true);
        ShowReportFailureNotice();
        return 0;
    }
    if (!FinishBatchIfDone()) {
        m_strBatchStatus = outcome.batchStatus;
        UpdateData(false);
    }
    return 0;
}

// Unlocks and shows the final summary once every dispatched camera has its result.
bool CTolvaneDlg::FinishBatchIfDone() {
    if (!m_state.BatchDone())
        return false;
    EnableControls(true);
    m_strBatchStatus.clear();
    UpdateData(false);
    ShowMessageBox(m_state.FinalSummary(), ApplicationName());
    ShowReportFailureNotice();
    return true;
}

void CTolvaneDlg::ShowReportFailureNotice() {
    const std::string notice = m_state.TakeReportFailureNotice();
    if (!notice.empty())
        ShowMessageBox(notice, UiText(ui_text::kCaptionNotice));
}

intptr_t CTolvaneDlg::OnDeviceVersion(uintptr_t wParam, intptr_t /*lParam*/) {
    auto* note = reinterpret_cast<DeviceVersionNote*>(wParam);
    if (!note)
        return 0;
    SetRowsVersion(m_listDevices, FieldText(note->address), FieldText(note->version));
    delete note;
    // The worker has taken another request: room for one that waits.
    PumpVersions();
    return 0;
}

void CTolvaneDlg::FreeQueuedNotes() {
    if (!m_hWnd)
        return;
    MSG message;
    while (PeekMessageW(&message, m_hWnd, WM_DEVICE_FOUND, WM_DEVICE_VERSION, PM_REMOVE))
        FreeNoteMessage(message.message, message.wParam, message.lParam);
}
