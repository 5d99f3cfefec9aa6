// The main dialog on Windows: the template's controls, drawn by the system,
// with every decision left to the toolkit-free dialog logic.
#pragma once

#include "dialog/dialog_state.h"
#include "dialog/found_notes.h"
#include "dialog/version_queue.h"
#include "engine/requests_notes.h"
#include "list_view_rows.h"

#include <array>
#include <atomic>
#include <string>
#include <windows.h>
// The common controls build on the declarations above.
#include <commctrl.h>

struct OsaTask;

class CTolvaneDlg final : public NoteOwner {
public:
    CTolvaneDlg();
    ~CTolvaneDlg();
    CTolvaneDlg(const CTolvaneDlg&) = delete;
    CTolvaneDlg& operator=(const CTolvaneDlg&) = delete;

    // Runs the dialog until its close sequence has ended it.
    INT_PTR DoModal(HINSTANCE instance);

    // NoteOwner: what the workers see of the dialog.
    NoteWindow GetNoteWindow() const override { return m_noteWindow.load(); }
    bool IsRunning() const override { return m_bRunning.load() != 0; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void CreateTasks();
    void UpdateData(bool saveAndValidate);
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT type = MB_OK);

    // Commands and notifications (tolvane_dlg_commands.cpp).
    bool OnSysCommand(WPARAM command);
    void OnCommand(WPARAM wParam);
    LRESULT OnNotify(const NMHDR& header, bool* handled);
    LRESULT OnCustomDrawDeviceList(NMLVCUSTOMDRAW& draw);
    void OnBnClickedSearch();
    void OnBnClickedUpgrade();
    void OnBnClickedBatchUpgrade();
    void OnColumnClickDeviceList(int column);
    void OnClickDeviceList(int row, int column);
    void EnableControls(bool enable);
    void OnClose();
    void StopWorkersAndSdk();

    // Posted notes (tolvane_dlg_notes.cpp); they free what the note carries.
    intptr_t OnDeviceFound(uintptr_t wParam, intptr_t lParam);
    intptr_t OnUpgradeResult(uintptr_t wParam, intptr_t lParam);
    intptr_t OnUpgradeProgress(uintptr_t wParam, intptr_t lParam);
    intptr_t OnDeviceVersion(uintptr_t wParam, intptr_t lParam);
    bool FinishBatchIfDone();
    // After an upgrade or batch: a box when history or log lines were lost.
    void ShowReportFailureNotice();
    void FreeQueuedNotes();
    void PumpVersions();

    HWND m_hWnd = nullptr;
    HICON m_hIcon = nullptr;
    std::string m_strPort;
    std::string m_strUser;
    std::string m_strPassword;
    std::string m_strSingleStatus;
    ListViewRows m_listDevices;
    std::array<OsaTask*, UPGRADE_TASK_COUNT> m_upgradeTasks{};
    OsaTask* m_versionTask = nullptr;
    DialogState m_state;
    std::string m_strBatchStatus;
    std::atomic<int32_t> m_bRunning{1};
    std::atomic<NoteWindow> m_noteWindow{0};
    // Version reads the worker's mailbox has no room for yet, offered again
    // at each version note and on a timer.
    VersionQueue m_versions;
    static constexpr UINT_PTR kVersionTimer = 1;
    // The search's reports, marked with its generation.
    FoundNotes m_foundNotes;
};

// The caption of the summary box: the executable's name without extension.
std::string ApplicationName();
