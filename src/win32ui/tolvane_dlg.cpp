// Construction, initialisation, bound texts and the message map.
#include "tolvane_dlg.h"

#include "dialog/dialog_ids.h"
#include "dialog/engine_stop.h"
#include "dialog/ui_texts.h"
#include "engine/upgrade_sequence.h"
#include "engine/version_worker.h"
#include "i18n/translation_table.h"
#include "resource.h"
#include "sdk/lpr_sdk.h"
#include "ui_language.h"
#include "wide_text.h"

#include <filesystem>

CTolvaneDlg::CTolvaneDlg()
    : m_state([this](uint32_t worker, const BatchCamera& camera) {
          return ::SendUpgradeRequest(m_upgradeTasks.data(), worker, camera.address.c_str(),
                                      camera.port, camera.user.c_str(), camera.password.c_str(),
                                      this);
      }),
      m_versions([this](const std::string& address, int32_t port) {
          return ::SendVersionRequest(m_versionTask, address.c_str(), port, this);
      }),
      // Read on the search's thread once the dialog's window exists: every
      // search renews this note window after WM_INITDIALOG.
      m_foundNotes(*this, [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
          if (!PostMessageW(m_hWnd, message, wParam, lParam))
              FreeNoteMessage(message, wParam, lParam);
      }) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_state.SetTranslator(i18n::TableTrUtf8);
    LprSdkActive().LprSetup();
}

CTolvaneDlg::~CTolvaneDlg() {
    // A dialog that never ran its close sequence still leaves no worker reading it.
    StopWorkersAndSdk();
}

INT_PTR CTolvaneDlg::DoModal(HINSTANCE instance) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TOLVANE_DIALOG), nullptr, &DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CTolvaneDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<CTolvaneDlg*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dlg->m_hWnd = window;
        return dlg->OnInitDialog();
    }
    auto* dlg = reinterpret_cast<CTolvaneDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    return dlg ? dlg->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CTolvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam) ? TRUE : FALSE;
    case WM_COMMAND:
        OnCommand(wParam);
        return TRUE;
    case WM_NOTIFY: {
        bool handled = false;
        const LRESULT result = OnNotify(*reinterpret_cast<NMHDR*>(lParam), &handled);
        if (handled)
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return handled ? TRUE : FALSE;
    }
    case WM_DEVICE_FOUND:
        // A report of a search stopped since: its camera is not in this list.
        if (m_foundNotes.IsCurrent(wParam))
            OnDeviceFound(wParam, lParam);
        else
            FreeNoteMessage(message, wParam, lParam);
        return TRUE;
    case WM_TIMER:
        if (wParam != kVersionTimer)
            return FALSE;
        PumpVersions();
        return TRUE;
    case WM_UPGRADE_RESULT:
        OnUpgradeResult(wParam, lParam);
        return TRUE;
    case WM_UPGRADE_PROGRESS:
        OnUpgradeProgress(wParam, lParam);
        return TRUE;
    case WM_DEVICE_VERSION:
        OnDeviceVersion(wParam, lParam);
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CTolvaneDlg::OnInitDialog() {
    TranslateTemplate(m_hWnd, ui_text::kDialogCaption,
                      {{IDC_LABEL_ADDRESS, ui_text::kLabelAddress},
                       {IDC_LABEL_PORT, ui_text::kLabelPort},
                       {IDC_LABEL_USER, ui_text::kLabelUser},
                       {IDC_LABEL_PASSWORD, ui_text::kLabelPassword},
                       {IDC_BTN_UPGRADE, ui_text::kButtonUpgrade},
                       {IDC_BTN_SEARCH, ui_text::kButtonSearch},
                       {IDC_BTN_BATCH_UPGRADE, ui_text::kButtonBatch},
                       {IDC_GROUP_SINGLE, ui_text::kGroupSingle},
                       {IDC_GROUP_BATCH, ui_text::kGroupBatch}});
    UpdateData(false);
    if (HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE)) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX,
                    Wide(UiText(ui_text::kAboutMenuItem)).c_str());
    }
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // Posts from the workers and the search callback arrive on any thread;
    // PostMessage is thread-safe and never blocks. A post that fails (the
    // queue is full) frees its note here, as nobody else will.
    HWND window = m_hWnd;
    m_noteWindow =
        RegisterNoteWindow([window](uint32_t message, uintptr_t wParam, intptr_t lParam) {
            if (!PostMessageW(window, message, wParam, lParam))
                FreeNoteMessage(message, wParam, lParam);
        });

    m_listDevices.Attach(Item(IDC_LIST_DEVICES));
    m_listDevices.SetUp();
    SendMessageW(Item(IDC_IPADDRESS), IPM_SETADDRESS, 0, 0);
    SendMessageW(Item(IDC_EDIT_USER), EM_LIMITTEXT, 16, 0);
    CreateTasks();

    m_strPort = "80";
    m_strUser = "admin";
    m_strPassword = "ploma";
    UpdateData(false);
    return TRUE; // the focus goes to the first control, the address box
}

void CTolvaneDlg::CreateTasks() {
    for (OsaTask*& slot : m_upgradeTasks)
        slot = StartEngineTask(UpdateTaskMain);
    m_versionTask = StartEngineTask(GetVersionTaskMain);
}

void CTolvaneDlg::UpdateData(bool saveAndValidate) {
    struct Binding {
        int id;
        std::string* text;
    };
    const Binding bindings[] = {{IDC_EDIT_PORT, &m_strPort},
                                {IDC_EDIT_USER, &m_strUser},
                                {IDC_EDIT_PASSWORD, &m_strPassword},
                                {IDC_STATIC_SINGLE_STATUS, &m_strSingleStatus},
                                {IDC_STATIC_BATCH_STATUS, &m_strBatchStatus}};
    for (const Binding& binding : bindings) {
        if (saveAndValidate)
            *binding.text = GetWindowTextUtf8(Item(binding.id));
        else
            SetWindowTextUtf8(Item(binding.id), *binding.text);
    }
}

int CTolvaneDlg::ShowMessageBox(const std::string& text, const std::string& caption, UINT type) {
    return MessageBoxW(m_hWnd, Wide(text).c_str(), Wide(caption).c_str(), type);
}

std::string ApplicationName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Utf8(std::filesystem::path(path).stem().wstring());
}
