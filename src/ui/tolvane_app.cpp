#include "tolvane_app.h"

#include "tolvane_dlg.h"

#include <QIcon>

CTolvaneApp::CTolvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setWindowIcon(QIcon(QStringLiteral(":/tolvane/tolvane.png")));
    // The last window ends the dialog's modal loop, not the application.
    setQuitOnLastWindowClosed(false);
}

bool CTolvaneApp::InitInstance() {
    CTolvaneDlg dlg;
    dlg.exec();
    return false;
}
