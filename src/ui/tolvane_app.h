// The application object: runs the main dialog modally, then the process ends.
#pragma once

#include <QApplication>

class CTolvaneApp : public QApplication {
    Q_OBJECT
public:
    CTolvaneApp(int& argc, char** argv);

    // Runs the main dialog until it is closed; false, since nothing else follows.
    bool InitInstance();

private:
    void InstallLanguage();
};
