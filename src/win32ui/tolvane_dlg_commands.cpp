// Commands of the dialog: the system menu, the buttons, the device list's
// notifications and custom drawing, the lock on the controls and closing.
#include "about_dlg.h"
#include "dialog/dialog_ids.h"
#include "dialog/engine_stop.h"
#include "dialog/single_checks.h"
#include "dialog/ui_texts.h"
#include "netaddr/dotted_ipv4.h"
#include "sdk/lpr_sdk.h"
#include "tolvane_dlg.h"
#include "ui_language.h"

namespace {

// The address box's four fields as dotted text; blank fields read as 0.
std::string AddressBoxText(HWND box) {
    DWORD address = 0;
    SendMessageW(box, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return netaddr::FormatIpv4(address);
}

} // namespace

bool CTolvaneDlg::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX)
        return false; // the default processing
    ShowAboutBox(m_hWnd);
    return true;
}

void CTolvaneDlg::OnCommand(WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED)
        return;
    // IDOK and IDCANCEL (Enter and Escape) would end the dialog behind the
    // close sequence: they do nothing here.
    switch (LOWORD(wParam)) {
    case IDC_BTN_SEARCH:
        OnBnClickedSearch();
        break;
    case IDC_BTN_UPGRADE:
        OnBnClickedUpgrade();
        break;
    case IDC_BTN_BATCH_UPGRADE:
        OnBnClickedBatchUpgrade();
        break;
    default:
        break;
    }
}

LRESULT CTolvaneDlg::OnNotify(const NMHDR& header, bool* handled) {
    if (header.idFrom != IDC_LIST_DEVICES)
        return 0;
    switch (header.code) {
    case LVN_COLUMNCLICK:
        OnColumnClickDeviceList(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return 0;
    case NM_CLICK: {
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        OnClickDeviceList(click.iItem, click.iSubItem);
        return 0;
    }
    case NM_CUSTOMDRAW:
        *handled = true;
        return OnCustomDrawDeviceList(
            const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header)));
    default:
        return 0;
    }
}

LRESULT CTolvaneDlg::OnCustomDrawDeviceList(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const std::optional<RowRgb> colour =
            RowColour(static_cast<uintptr_t>(draw.nmcd.lItemlParam));
        if (colour)
            draw.clrTextBk = RGB(colour->red, colour->green, colour->blue);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void CTolvaneDlg::OnBnClickedSearch() {
    LprSdkActive().LprStopFindDevice();
    // The list goes with its waiting version reads and the stopped search's reports.
    ClearRows(m_listDevices);
    m_versions.Clear();
    KillTimer(m_hWnd, kVersionTimer);
    m_foundNotes.Renew();
    LprSdkActive().LprStartFindDevice(FindDeviceCallback, static_cast<NoteOwner*>(&m_foundNotes));
}

void CTolvaneDlg::OnColumnClickDeviceList(int column) {
    if (column == COL_CHECK)
        TickAllRows(m_listDevices);
}

void CTolvaneDlg::OnClickDeviceList(int row, int column) {
    if (column != COL_IP || row < 0)
        return;
    const std::optional<netaddr::Ipv4Address> address =
        netaddr::ParseIpv4(m_listDevices.GetItemText(row, COL_IP));
    HWND box = Item(IDC_IPADDRESS);
    if (address && IsWindowEnabled(box))
        SendMessageW(box, IPM_SETADDRESS, 0, static_cast<LPARAM>(address->value));
}

void CTolvaneDlg::OnBnClickedUpgrade() {
    UpdateData(true);
    const std::string address = AddressBoxText(Item(IDC_IPADDRESS));
    int32_t port = 0;
    if (const char* failed =
            CheckSingleInput({address, m_strPort, m_strUser, m_strPassword}, &port)) {
        ShowMessageBox(UiText(failed), UiText(ui_text::kCaptionNotice));
        return;
    }
    if (ShowMessageBox(UiText(ui_text::kConfirmUpgrade), UiText(ui_text::kCaptionQuestion),
                       MB_OKCANCEL) != IDOK)
        return;
    EnableControls(false);
    m_state.BeginSingle();
    if (::SendUpgradeRequest(m_upgradeTasks.data(), 0, address.c_str(), port, m_strUser.c_str(),
                             m_strPassword.c_str(), this) != SEND_OK) {
        // No result will ever come for it: report it as that result would.
        ShowMessageBox(UiText(ui_text::kSingleNotSent), UiText(ui_text::kCaptionNotice));
        EnableControls(true);
    }
}

void CTolvaneDlg::OnBnClickedBatchUpgrade() {
    if (m_state.BeginBatch(m_listDevices) == 0) {
        ShowMessageBox(UiText(ui_text::kSelectDevices), UiText(ui_text::kCaptionNotice));
        return;
    }
    EnableControls(false);
    m_strBatchStatus = m_state.BatchSelectedText();
    UpdateData(false);
    // Every request may have been refused: then nothing is on its way.
    FinishBatchIfDone();
}

void CTolvaneDlg::EnableControls(bool enable) {
    for (const int id : {IDC_IPADDRESS, IDC_EDIT_PORT, IDC_EDIT_USER, IDC_EDIT_PASSWORD,
                         IDC_BTN_UPGRADE, IDC_BTN_SEARCH, IDC_BTN_BATCH_UPGRADE})
        EnableWindow(Item(id), enable ? TRUE : FALSE);
    if (HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE))
        EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_DISABLED));
    m_state.SetControlsEnabled(enable);
}

void CTolvaneDlg::OnClose() {
    // Refused while an upgrade runs, whichever way the request came.
    if (!m_state.CloseEnabled())
        return;
    StopWorkersAndSdk();
    EndDialog(m_hWnd, IDCANCEL);
}

void CTolvaneDlg::StopWorkersAndSdk() {
    if (!m_state.MarkClosed())
        return;
    m_bRunning = 0;
    // From here no worker or search thread can reach the dialog; notes
    // still queued are freed undispatched.
    StopEngine(m_upgradeTasks.data(), m_upgradeTasks.size(), m_versionTask, m_noteWindow.load());
    m_noteWindow = 0;
    m_foundNotes.Close();
    m_versions.Clear();
    KillTimer(m_hWnd, kVersionTimer);
    FreeQueuedNotes();
}
