// The single and batch upgrade commands and the lock they put on the controls.
#include "device_list_ctrl.h"
#include "i18n/translations.h"
#include "input_checks.h"
#include "ip_address_ctrl.h"
#include "message_box.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace {

QString Text(const char* source) {
    return i18n::Tr("ui", source);
}

} // namespace

void CTolvaneDlg::OnBnClickedUpgrade() {
    UpdateData(true);
    const QString address = m_ipAddress->GetWindowText();
    const auto notice = [this](const char* text) {
        ShowMessageBox(this, Text(text), Text(ui_text::kCaptionNotice));
    };

    if (address == QStringLiteral("0.0.0.0"))
        return notice(ui_text::kEnterAddress);
    if (!IsUsableAddress(address))
        return notice(ui_text::kBadAddress);
    if (m_strPort.isEmpty())
        return notice(ui_text::kEnterPort);
    const int32_t port = AtoiLike(m_strPort);
    // Only 16 bits of the port reach the camera: 65616 would quietly become 80.
    if (port <= 0 || port > 65535)
        return notice(ui_text::kBadPort);
    if (m_strUser.isEmpty())
        return notice(ui_text::kEnterUser);
    if (m_strPassword.isEmpty())
        return notice(ui_text::kEnterPassword);
    // A request holds 31 bytes of each text; a longer one is refused here,
    // before anything is locked or sent.
    if (!FitsTextField(m_strUser))
        return notice(ui_text::kUserTooLong);
    if (!FitsTextField(m_strPassword))
        return notice(ui_text::kPasswordTooLong);
    if (!IsCredentialText(m_strUser) || !IsCredentialText(m_strPassword))
        return notice(ui_text::kBadCredentialChars);

    if (ShowMessageBox(this, Text(ui_text::kConfirmUpgrade), Text(ui_text::kCaptionQuestion),
                       MessageButtons::OkCancel) != IDOK)
        return;

    EnableControls(false);
    m_bSingleMode = 1;
    if (SendUpgradeRequest(0, address, port, m_strUser, m_strPassword) != SEND_OK) {
        // No result will ever come for it: report it as that result would.
        ShowMessageBox(this, Text(ui_text::kSingleNotSent), Text(ui_text::kCaptionNotice));
        EnableControls(true);
    }
}

void CTolvaneDlg::OnBnClickedBatchUpgrade() {
    m_bSingleMode = 0;
    m_nTotal = 0;
    m_nSucceeded = 0;
    m_nFailed = 0;
    m_batch.Clear();
    int32_t dispatched = 0;

    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        if (!m_listDevices->GetCheck(row))
            continue;
        const QString address = m_listDevices->GetItemText(row, COL_IP);
        // A ticked row without an address cannot be upgraded: it is passed
        // over, and the rest of the batch still goes out.
        if (address.isEmpty())
            continue;
        const int32_t port = AtoiLike(m_listDevices->GetItemText(row, COL_PORT));
        // Cameras beyond what a worker's mailbox holds wait in m_batch and go
        // out as that worker's results come back.
        const int32_t sent = m_batch.Add(
            {address.toStdString(), port, kBatchUser, kBatchPassword, static_cast<size_t>(row)});
        if (sent != SEND_OK) {
            // Its result will never come: count it as failed now, so that
            // the batch still reaches its total and unlocks.
            MarkRowNotSent(row, sent);
        }
        ++dispatched;
    }

    if (dispatched == 0) {
        ShowMessageBox(this, Text(ui_text::kSelectDevices), Text(ui_text::kCaptionNotice));
        return;
    }
    m_nTotal = dispatched;
    EnableControls(false);
    m_strBatchStatus = Text(ui_text::kBatchSelected).arg(dispatched);
    UpdateData(false);
    // Every request may have been refused: then nothing is on its way.
    FinishBatchIfDone();
}

// A result frees a place at its worker: the worker's next waiting camera goes out.
void CTolvaneDlg::SendNextOfWorker(const QString& address) {
    for (const RefusedCamera& refused : m_batch.OnResult(address.toStdString())) {
        const int row = static_cast<int>(refused.camera.tag);
        if (row < m_listDevices->GetItemCount())
            MarkRowNotSent(row, refused.result);
        else
            ++m_nFailed;
    }
}

void CTolvaneDlg::MarkRowNotSent(int row, int32_t sendResult) {
    m_listDevices->SetItemText(
        row, COL_PROGRESS,
        Text(sendResult == SEND_TEXT_TOO_LONG ? ui_text::kAddressTooLong : ui_text::kBatchNotSent));
    m_listDevices->SetItemData(row, ROW_FAILED);
    ++m_nFailed;
}

void CTolvaneDlg::EnableControls(bool enable) {
    m_ipAddress->setEnabled(enable);
    m_editPort->setEnabled(enable);
    m_editUser->setEnabled(enable);
    m_editPassword->setEnabled(enable);
    m_btnUpgrade->setEnabled(enable);
    m_btnSearch->setEnabled(enable);
    m_btnBatch->setEnabled(enable);
    m_bCloseEnabled = enable;
}
