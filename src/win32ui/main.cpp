// tolvane.exe: the common controls, the SDK lock, then the main dialog, run
// modally until its close sequence has ended it.
#include "engine/version_worker.h"
#include "tolvane_dlg.h"
#include "ui_language.h"

#include <windows.h>
// The common controls build on the declarations above.
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    InitSdkLock();
    ChooseUiLanguage();
    CTolvaneDlg dlg;
    dlg.DoModal(instance);
    return 0;
}
