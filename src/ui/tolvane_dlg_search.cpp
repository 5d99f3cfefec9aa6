// Network search and the device list: ordered insertion, ticking all rows,
// copying an address into the address box.
#include "device_list_ctrl.h"
#include "ip_address_ctrl.h"
#include "sdk/lpr_sdk.h"
#include "tolvane_dlg.h"

#include <QString>

void CTolvaneDlg::OnBnClickedSearch() {
    LprSdkActive().LprStopFindDevice();
    m_listDevices->DeleteAllItems();
    LprSdkActive().LprStartFindDevice(FindDeviceCallback, static_cast<NoteOwner*>(this));
}

intptr_t CTolvaneDlg::OnDeviceFound(uintptr_t wParam, intptr_t lParam) {
    auto* note = reinterpret_cast<FoundDeviceNote*>(lParam);
    if (!note)
        return 0;
    const QString address = QString::fromStdString(*note);
    const int32_t port = static_cast<int32_t>(wParam & 0xFFFF);
    AddFoundRow(m_rows, *note, port);

    // A refused request (full mailbox, or an address too long for a request)
    // leaves the version cell empty; a later search asks again.
    SendVersionRequest(address, port);
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
