// The single and batch upgrade commands and the lock they put on the controls.
#include "device_list_ctrl.h"
#include "dialog/single_checks.h"
#include "i18n/translations.h"
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
    int32_t port = 0;
    const char* failed = CheckSingleInput({address.toStdString(), m_strPort.toStdString(),
                                           m_strUser.toStdString(), m_strPassword.toStdString()},
                                          &port);
    if (failed) {
        ShowMessageBox(this, Text(failed), Text(ui_text::kCaptionNotice));
        return;
    }

    if (ShowMessageBox(this, Text(ui_text::kConfirmUpgrade), Text(ui_text::kCaptionQuestion),
                       MessageButtons::OkCancel) != IDOK)
        return;

    EnableControls(false);
    m_state.BeginSingle();
    if (SendUpgradeRequest(0, address, port, m_strUser, m_strPassword) != SEND_OK) {
        // No result will ever come for it: report it as that result would.
        ShowMessageBox(this, Text(ui_text::kSingleNotSent), Text(ui_text::kCaptionNotice));
        EnableControls(true);
    }
}

void CTolvaneDlg::OnBnClickedBatchUpgrade() {
    if (m_state.BeginBatch(m_rows) == 0) {
        ShowMessageBox(this, Text(ui_text::kSelectDevices), Text(ui_text::kCaptionNotice));
        return;
    }
    EnableControls(false);
    m_strBatchStatus = QString::fromStdString(m_state.BatchSelectedText());
    UpdateData(false);
    // Every request may have been refused: then nothing is on its way.
    FinishBatchIfDone();
}

void CTolvaneDlg::EnableControls(bool enable) {
    m_ipAddress->setEnabled(enable);
    m_editPort->setEnabled(enable);
    m_editUser->setEnabled(enable);
    m_editPassword->setEnabled(enable);
    m_btnUpgrade->setEnabled(enable);
    m_btnSearch->setEnabled(enable);
    m_btnBatch->setEnabled(enable);
    m_state.SetControlsEnabled(enable);
}
