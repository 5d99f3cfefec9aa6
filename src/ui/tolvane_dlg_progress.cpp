// Progress texts, results, versions, the batch summaries and the unlocking.
#include "device_list_ctrl.h"
#include "message_box.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QLabel>

namespace {

constexpr int kMaxTextBytes = 127;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString ProgressText(int32_t step, const char* imageName) {
    switch (step) {
    case UPGRADE_STEP_CLEAN_LOG:
        return Text(ui_text::kStepCleanLog);
    case UPGRADE_STEP_CLEAN_DATABASE:
        return Text(ui_text::kStepCleanDatabase);
    case UPGRADE_STEP_REBOOT_AFTER_CLEAN:
        return Text(ui_text::kStepRebootAfterClean);
    case UPGRADE_STEP_SEND_IMAGE: {
        // The text holds at most 127 bytes: a longer name is cut at a
        // character boundary.
        const QString pattern = Text(ui_text::kStepSendImage);
        const int room = kMaxTextBytes - static_cast<int>(pattern.toUtf8().size() - 2);
        QString name =
            imageName
                ? QString::fromUtf8(
                      imageName, static_cast<qsizetype>(strnlen(imageName, IMAGE_NAME_BUFFER_SIZE)))
                : QString();
        while (name.toUtf8().size() > room)
            name.chop(1);
        return pattern.arg(name);
    }
    case UPGRADE_STEP_IMAGE_ACCEPTED:
        return Text(ui_text::kStepImageAccepted);
    default:
        return QString();
    }
}

QString ResultText(int32_t value, intptr_t code) {
    if (value != 0)
        return Text(ui_text::kResultOk);
    switch (code) {
    case UPGRADE_ERR_OPEN:
        return Text(ui_text::kResultOpen);
    case UPGRADE_ERR_NO_VERSION:
        return Text(ui_text::kResultNoVersion);
    case UPGRADE_ERR_NO_IMAGE:
        return Text(ui_text::kResultNoImage);
    case UPGRADE_ERR_SEND:
        return Text(ui_text::kResultSend);
    case UPGRADE_ERR_REREAD_VERSION:
        return Text(ui_text::kResultRereadVersion);
    default:
        return QString();
    }
}

QString AddressOf(const char (&field)[TEXT_FIELD_SIZE]) {
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, TEXT_FIELD_SIZE)));
}

} // namespace

intptr_t CTolvaneDlg::OnUpgradeProgress(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<UpgradeProgressNote*>(wParam);
    if (!note)
        return -1;
    auto* imageName = reinterpret_cast<char*>(lParam);
    const QString text =
        ProgressText(note->value, note->value == UPGRADE_STEP_SEND_IMAGE ? imageName : nullptr);
    if (note->value == UPGRADE_STEP_SEND_IMAGE)
        delete[] imageName;

    if (m_bSingleMode) {
        m_strSingleStatus = text;
        UpdateData(false);
    } else {
        UpdateRowProgress(AddressOf(note->address), text);
    }
    delete note;
    return 0;
}

intptr_t CTolvaneDlg::OnUpgradeResult(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<UpgradeResultNote*>(wParam);
    if (!note)
        return -1;
    const QString text = ResultText(note->value, lParam);
    if (note->value != 0)
        ++m_nSucceeded;
    else
        ++m_nFailed;
    const QString address = AddressOf(note->address);
    const bool single = m_bSingleMode != 0;
    delete note;

    if (single) {
        ShowMessageBox(this, text, Text(ui_text::kCaptionNotice));
        m_strSingleStatus.clear();
        UpdateData(false);
        EnableControls(true);
        // The batch summary belongs to the last batch: a single result leaves it alone.
        return 0;
    }
    UpdateRowResult(address, text);
    if (!FinishBatchIfDone()) {
        m_strBatchStatus = Text(ui_text::kBatchRunning)
                               .arg(m_nTotal)
                               .arg(m_nSucceeded + m_nFailed)
                               .arg(m_nSucceeded)
                               .arg(m_nFailed);
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
    ShowMessageBox(this, Text(ui_text::kBatchDone).arg(m_nSucceeded).arg(m_nFailed),
                   ApplicationName());
    return true;
}

intptr_t CTolvaneDlg::OnDeviceVersion(uintptr_t wParam, intptr_t /*lParam*/) {
    auto* note = reinterpret_cast<DeviceVersionNote*>(wParam);
    if (!note)
        return 0;
    const QString address = AddressOf(note->address);
    const QString version = AddressOf(note->version);
    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        if (m_listDevices->GetItemText(row, COL_IP) == address)
            m_listDevices->SetItemText(row, COL_VERSION, version);
    }
    delete note;
    return 0;
}

bool CTolvaneDlg::UpdateRowProgress(const QString& address, const QString& text) {
    bool matched = false;
    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        if (m_listDevices->GetItemText(row, COL_IP) != address)
            continue;
        m_listDevices->SetItemText(row, COL_PROGRESS, text);
        m_listDevices->SetItemData(row, ROW_UPGRADING);
        matched = true;
    }
    return matched;
}

bool CTolvaneDlg::UpdateRowResult(const QString& address, const QString& text) {
    const uintptr_t state = text == Text(ui_text::kResultOk) ? ROW_SUCCEEDED : ROW_FAILED;
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
