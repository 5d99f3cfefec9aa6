// Shared pieces of the window tests: the fake SDK and virtual clock under a
// real dialog, answered message boxes, and a gate that holds the upgrade
// workers inside their first camera until a test lets them go.
#pragma once

#include "fake_sdk.h"
#include "message_box.h"
#include "tolvane_dlg.h"
#include "virtual_clock.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <condition_variable>
#include <memory>
#include <mutex>

class QWidget;

struct ShownBox {
    QString text;
    QString caption;
    MessageButtons buttons;
    // What the dialog looked like while the box was open.
    bool controlsEnabled;
    QString batchStatus;
    QString singleStatus;
};

// Records every box and answers it (IDOK unless told otherwise).
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();
    QVector<ShownBox> boxes;
    int answer = IDOK;
    QStringList Texts() const;
};

// Holds every LprOpen of an upgrade (the workers' own credentials) until
// Release(); bounded, so that a failing test cannot hang.
class OpenGate {
public:
    void Install(FakeSdk& sdk);
    void Release();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

// One dialog on the fake SDK and the virtual clock.
struct DialogRig {
    DialogRig();
    ~DialogRig();

    QString Text(const char* objectName) const;
    template <class T> T* Find(const char* objectName) const {
        return dlg->findChild<T*>(QString::fromLatin1(objectName));
    }
    // Adds rows as the search would, without version reads.
    void AddRows(const QStringList& addresses, bool ticked, int port = 80);

    VirtualClock clock;
    FakeSdk sdk{&clock};
    BoxRecorder boxes;
    std::unique_ptr<CTolvaneDlg> dlg;
};

// Posts a result or progress note the way an upgrade worker does.
void PostResult(CTolvaneDlg& dlg, const char* address, int32_t value, intptr_t code);
void PostProgress(CTolvaneDlg& dlg, const char* address, int32_t step,
                  const char* imageName = nullptr);
void PostVersion(CTolvaneDlg& dlg, const char* address, const int32_t (&version)[4]);
