// Cameras beyond the broadcast domain: a camera added by hand and an address
// range scanned, both by unicast probes, their answers listed like found
// cameras but never twice.
#include "device_list_ctrl.h"
#include "i18n/translations.h"
#include "message_box.h"
#include "netaddr/dotted_ipv4.h"
#include "probe_dialogs.h"
#include "probe_receiver.h"
#include "sdk/lpr_sdk.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {

// A little over the probes' own run, for the last answers in flight.
constexpr int kAnswerMarginMs = 250;

} // namespace

void CTolvaneDlg::AddProbeMenuEntries(QMenu& menu) {
    // Not while an upgrade runs: its rows stay as they are.
    const bool enabled = m_btnSearch->isEnabled();
    menu.addSeparator();
    QAction* add = menu.addAction(i18n::Tr("ui", ui_text::kMenuAddDevice));
    add->setObjectName(QStringLiteral("IDM_ADD_DEVICE"));
    add->setEnabled(enabled);
    QAction* scan = menu.addAction(i18n::Tr("ui", ui_text::kMenuScanRange));
    scan->setObjectName(QStringLiteral("IDM_SCAN_RANGE"));
    scan->setEnabled(enabled);
    // Queued: the dialogs open once the menu has closed.
    connect(
        add, &QAction::triggered, this, [this] { OnAddDevice(); }, Qt::QueuedConnection);
    connect(
        scan, &QAction::triggered, this, [this] { OnScanRange(); }, Qt::QueuedConnection);
}

NoteOwner* CTolvaneDlg::ProbeOwner() {
    if (!m_probeReceiver)
        m_probeReceiver = new CProbeReceiver(this);
    return m_probeReceiver;
}

void CTolvaneDlg::OnAddDevice() {
    CAddDeviceDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const uint32_t address = dialog.Address();
    const uint16_t port = dialog.Port();
    const int32_t started =
        LprSdkActive().LprProbeAddresses(&address, 1, FindDeviceCallback, ProbeOwner());
    // Silent or not probed at all, the camera is still listed with the
    // typed port once its answer can no longer come.
    const int wait = started == 0 ? static_cast<int>(LprProbeDurationMs(1)) + kAnswerMarginMs : 0;
    const QString text = QString::fromStdString(netaddr::FormatIpv4(address));
    // Tied to the receiver: a search that empties the list meanwhile drops it.
    QTimer::singleShot(wait, m_probeReceiver, [this, text, port] {
        if (!m_state.Closed() && FindRow(text) < 0)
            OnDeviceFound(port,
                          reinterpret_cast<intptr_t>(new FoundDeviceNote(text.toStdString())));
    });
}

void CTolvaneDlg::OnScanRange() {
    CScanRangeDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::vector<uint32_t>& addresses = dialog.Addresses();
    if (LprSdkActive().LprProbeAddresses(addresses.data(), static_cast<uint32_t>(addresses.size()),
                                         FindDeviceCallback, ProbeOwner()) != 0) {
        ShowMessageBox(this, i18n::Tr("ui", ui_text::kProbeNotStarted),
                       i18n::Tr("ui", ui_text::kCaptionNotice));
    }
}

intptr_t CTolvaneDlg::OnDeviceProbed(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<FoundDeviceNote*>(lParam);
    if (!note || m_state.Closed() || FindRow(QString::fromStdString(*note)) >= 0) {
        delete note;
        return 0;
    }
    return OnDeviceFound(wParam, lParam);
}

int CTolvaneDlg::FindRow(const QString& address) const {
    return ::FindRow(m_rows, address.toStdString());
}
