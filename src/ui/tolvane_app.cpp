#include "tolvane_app.h"

#include "i18n/translations.h"
#include "tolvane_dlg.h"

#include <QIcon>
#include <cstdio>

CTolvaneApp::CTolvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setWindowIcon(QIcon(QStringLiteral(":/tolvane/tolvane.png")));
    // The last window ends the dialog's modal loop, not the application.
    setQuitOnLastWindowClosed(false);
    InstallLanguage();
}

// Chinese when neither TOLVANE_LANG nor the locale says English. A bad
// TOLVANE_LANG is told once and then left to the locale.
void CTolvaneApp::InstallLanguage() {
    const i18n::LanguageChoice choice = i18n::ChooseLanguage(nullptr);
    if (!choice.problem.empty())
        std::fprintf(stderr, "tolvane: %s\n", choice.problem.c_str());
    i18n::InstallTranslations(choice.language);
    i18n::InstallToolkitTranslations(choice.language);
}

bool CTolvaneApp::InitInstance() {
    CTolvaneDlg dlg;
    dlg.exec();
    return false;
}
