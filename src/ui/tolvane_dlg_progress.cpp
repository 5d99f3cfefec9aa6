// Progress texts, results, versions, the batch summaries and the unlocking.
#include "device_list_ctrl.h"
#include "engine/note_texts.h"
#include "i18n/translations.h"
#include "message_box.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QLabel>

namespace {

constexpr int kMaxTextBytes = 127;

QString Text(const char* source) {
    return i18n::Tr("ui", source);
}

// The window's texts hold at most 127 bytes: a longer image name is cut.
QString StepText(int32_t step, const char* imageName) {
    // Through QString first so that bytes that are not UTF-8 count as what is shown.
    const std::string name =
        imageName
            ? QString::fromUtf8(imageName,
                                static_cast<qsizetype>(strnlen(imageName, IMAGE_NAME_BUFFER_SIZE)))
                  .toStdString()
            : std::string();
    return QString::fromStdString(ProgressText(step, name, kMaxTextBytes, i18n::TrUtf8));
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
    const QString text =
        StepText(note->value, note->value == UPGRADE_STEP_SEND_IMAGE ? imageName : nullptr);
    if (note->value == UPGRADE_STEP_SEND_IMAGE)
        delete[] imageName;

    if (m_bSingleMode) {
        m_strSingleStatus = text;
        UpdateData(false);
    } else {
        NoteRowStarted(FieldQText(note->address));
        UpdateRow(FieldQText(note->address), text, ROW_UPGRADING);
    }
    delete note;
    return 0;
}

intptr_t CTolvaneDlg::OnUpgradeResult(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<UpgradeResultNote*>(wParam);
    if (!note)
        return -1;
    const bool succeeded = note->value != 0;
    const QString text = QString::fromStdString(ResultText(note->value, lParam, i18n::TrUtf8));
    if (succeeded)
        ++m_nSucceeded;
    else
        ++m_nFailed;
    const QString address = FieldQText(note->address);
    const bool single = m_bSingleMode != 0;
    if (!single)
        NoteRowResult(address, *note);
    // The version the camera came back with replaces the one read before; an
    // unreadable one leaves the cell empty rather than showing a stale version.
    if (note->check != UPGRADE_CHECK_NONE)
        SetRowVersion(address, FieldQText(note->versionAfter));
    delete note;

    if (single) {
        ShowMessageBox(this, text, Text(ui_text::kCaptionNotice));
        m_strSingleStatus.clear();
        UpdateData(false);
        EnableControls(true);
        // The batch summary belongs to the last batch: a single result leaves it alone.
        return 0;
    }
    UpdateRow(address, text, succeeded ? ROW_SUCCEEDED : ROW_FAILED);
    SendNextOfWorker(address);
    if (!FinishBatchIfDone()) {
        m_strBatchStatus = QString::fromStdString(RunningSummaryText(
            m_nTotal, m_nSucceeded + m_nFailed, m_nSucceeded, m_nFailed, i18n::TrUtf8));
        UpdateData(false);
    }
    return 0;
}

// Unlocks and shows the final summary once every dispatched camera has its result.
bool CTolvaneDlg::FinishBatchIfDone() {
    if (m_nSucceeded + m_nFailed != m_nTotal)
        return false;
    EnableControls(true);
    m_strBatchStatus.clear();
    UpdateData(false);
    ShowMessageBox(this,
                   QString::fromStdString(FinalSummaryText(m_nSucceeded, m_nFailed, i18n::TrUtf8)),
                   ApplicationName());
    return true;
}

intptr_t CTolvaneDlg::OnDeviceVersion(uintptr_t wParam, intptr_t /*lParam*/) {
    auto* note = reinterpret_cast<DeviceVersionNote*>(wParam);
    if (!note)
        return 0;
    SetRowVersion(FieldQText(note->address), FieldQText(note->version));
    delete note;
    return 0;
}

void CTolvaneDlg::SetRowVersion(const QString& address, const QString& version) {
    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        if (m_listDevices->GetItemText(row, COL_IP) == address)
            m_listDevices->SetItemText(row, COL_VERSION, version);
    }
}

bool CTolvaneDlg::UpdateRow(const QString& address, const QString& text, uintptr_t state) {
    bool matched = false;
    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        if (m_listDevices->GetItemText(row, COL_IP) != address)
            continue;
        m_listDevices->SetItemText(row, COL_PROGRESS, text);
        m_listDevices->SetItemData(row, state);
        matched = true;
    }
    return matched;
}
