// Network search and the device list: ordered insertion, ticking all rows,
// copying an address into the address box.
#include "device_list_ctrl.h"
#include "ip_address_ctrl.h"
#include "probe_receiver.h"
#include "sdk/lpr_sdk.h"
#include "tolvane_dlg.h"

#include <QString>
#include <QTimer>

void CTolvaneDlg::OnBnClickedSearch() {
    LprSdkActive().LprStopFindDevice();
    ClearList();
    LprSdkActive().LprStartFindDevice(FindDeviceCallback, static_cast<NoteOwner*>(&m_foundNotes));
}

// Empties the list with all that belongs to it: the version reads still
// waiting, and the reports of the stopped search and probes still on their way.
void CTolvaneDlg::ClearList() {
    ClearRows(m_rows);
    m_versions.Clear();
    m_versionTimer->stop();
    m_foundNotes.Renew();
    // Its destruction stops the probes and drops their queued answers.
    delete m_probeReceiver;
    m_probeReceiver = nullptr;
}

void CTolvaneDlg::PumpVersions() {
    if (m_versions.Pump() == 0)
        m_versionTimer->stop();
    else if (!m_versionTimer->isActive())
        m_versionTimer->start();
}

intptr_t CTolvaneDlg::OnDeviceFound(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<FoundDeviceNote*>(lParam);
    if (!note)
        return 0;
    const int32_t port = FoundPort(wParam);
    // A camera already listed keeps its one row and its one version read.
    if (AddFoundRow(m_rows, *note, port) >= 0 && m_versionTask) {
        m_versions.Request(*note, port);
        PumpVersions();
    }
    delete note;
    return 0;
}

void CTolvaneDlg::OnColumnClickDeviceList(int column) {
    if (column != COL_CHECK)
        return;
    TickAllRows(m_rows);
}

void CTolvaneDlg::OnClickDeviceList(int row, int column) {
    if (column != COL_IP || row < 0)
        return;
    const QString address = m_listDevices->GetItemText(row, COL_IP);
    if (address.isEmpty())
        return;
    if (m_ipAddress->isEnabled())
        m_ipAddress->SetWindowText(address);
}
