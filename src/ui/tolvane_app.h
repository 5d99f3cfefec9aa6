// The application object: runs the main dialog modally, then the process ends.
#pragma once

#include <QApplication>

class CTolvaneApp : public QApplication {
    Q_OBJECT
public:
    CTolvaneApp(int& argc, char** argv);

    // Runs the main dialog until it is closed; false, since nothing else follows.
    bool InitInstance();

    // The language of TOLVANE_LANG, else of the locale, for the running
    // application's texts; a bad TOLVANE_LANG is told on stderr.
    static void InstallLanguage();
};
