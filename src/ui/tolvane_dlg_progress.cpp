// Progress texts, results, versions, the batch summaries and the unlocking.
#include "device_list_ctrl.h"
#include "engine/note_texts.h"
#include "i18n/translations.h"
#include "message_box.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QLabel>

namespace {

QString Text(const char* source) {
    return i18n::Tr("ui", source);
}

QString FieldQText(const char (&field)[TEXT_FIELD_SIZE]) {
    return QString::fromStdString(FieldText(field));
}

} // namespace

intptr_t CTolvaneDlg::OnUpgradeProgress(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<UpgradeProgressNote*>(wParam);
    if (!note)
        return -1;
    auto* imageName = reinterpret_cast<char*>(lParam);
    const bool sendImage = note->value == UPGRADE_STEP_SEND_IMAGE;
    if (!m_state.SingleMode())
        NoteRowStarted(FieldQText(note->address));
    const QString text = QString::fromStdString(m_state.OnProgress(
        m_rows, FieldText(note->address), note->value, sendImage ? imageName : nullptr));
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
    const QString address = FieldQText(note->address);
    if (!m_state.SingleMode())
        NoteRowResult(address, *note, lParam);
    // The version the camera came back with replaces the one read before; an
    // unreadable one leaves the cell empty rather than showing a stale version.
    if (note->check != UPGRADE_CHECK_NONE)
        SetRowVersion(address, FieldQText(note->versionAfter));
    const ResultOutcome outcome =
        m_state.OnResult(m_rows, FieldText(note->address), note->value, lParam);
    delete note;

    if (outcome.single) {
        ShowMessageBox(this, QString::fromStdString(outcome.text), Text(ui_text::kCaptionNotice));
        m_strSingleStatus.clear();
        UpdateData(false);
        EnableControls(true);
        ShowReportFailureNotice();
        return 0;
    }
    if (!FinishBatchIfDone()) {
        m_strBatchStatus = QString::fromStdString(outcome.batchStatus);
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
    ShowMessageBox(this, QString::fromStdString(m_state.FinalSummary()), ApplicationName());
    ShowReportFailureNotice();
    return true;
}

void CTolvaneDlg::ShowReportFailureNotice() {
    const std::string notice = m_state.TakeReportFailureNotice();
    if (!notice.empty())
        ShowMessageBox(this, QString::fromStdString(notice), Text(ui_text::kCaptionNotice));
}

intptr_t CTolvaneDlg::OnDeviceVersion(uintptr_t wParam, intptr_t /*lParam*/) {
    auto* note = reinterpret_cast<DeviceVersionNote*>(wParam);
    if (!note)
        return 0;
    SetRowVersion(FieldQText(note->address), FieldQText(note->version));
    delete note;
    // The worker has taken another request: room for one that waits.
    PumpVersions();
    return 0;
}

void CTolvaneDlg::SetRowVersion(const QString& address, const QString& version) {
    SetRowsVersion(m_rows, address.toStdString(), version.toStdString());
}

bool CTolvaneDlg::UpdateRow(const QString& address, const QString& text, uintptr_t state) {
    return UpdateRows(m_rows, address.toStdString(), text.toStdString(), state);
}
