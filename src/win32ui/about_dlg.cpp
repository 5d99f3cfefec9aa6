#include "about_dlg.h"

#include "dialog/ui_texts.h"
#include "resource.h"
#include "ui_language.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        TranslateTemplate(window, ui_text::kAboutCaption,
                          {{IDC_ABOUT_VERSION, ui_text::kAboutVersion}, {IDOK, ui_text::kOk}});
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowAboutBox(HWND owner) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, &AboutProc,
                    0);
}
