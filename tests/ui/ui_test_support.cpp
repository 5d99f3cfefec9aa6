#include "ui_test_support.h"

#include "device_list_ctrl.h"
#include "engine/requests_notes.h"
#include "engine/version_worker.h"

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <chrono>
#include <cstring>

BoxRecorder::BoxRecorder() {
    SetMessageBoxHook([this](QWidget* owner, const QString& text, const QString& caption,
                             MessageButtons buttons) {
        ShownBox box{text, caption, buttons, false, {}, {}};
        if (owner) {
            if (auto* search = owner->findChild<QWidget*>(QStringLiteral("IDC_BTN_SEARCH")))
                box.controlsEnabled = search->isEnabled();
            if (auto* batch = owner->findChild<QLabel*>(QStringLiteral("IDC_STATIC_BATCH_STATUS")))
                box.batchStatus = batch->text();
            if (auto* single =
                    owner->findChild<QLabel*>(QStringLiteral("IDC_STATIC_SINGLE_STATUS")))
                box.singleStatus = single->text();
        }
        boxes.push_back(box);
        return buttons == MessageButtons::Ok ? IDOK : answer;
    });
}

BoxRecorder::~BoxRecorder() {
    SetMessageBoxHook({});
}

QStringList BoxRecorder::Texts() const {
    QStringList texts;
    for (const ShownBox& box : boxes)
        texts << box.text;
    return texts;
}

void OpenGate::Install(FakeSdk& sdk) {
    sdk.SetCallHook([this](const FakeSdk::Call& call) {
        if (call.op != "LprOpen")
            return;
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::seconds(20), [this] { return m_open; });
    });
}

void OpenGate::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_cv.notify_all();
}

DialogRig::DialogRig() {
    InitSdkLock();
    g_bSelectAll = 1;
    dlg = std::make_unique<CTolvaneDlg>();
}

DialogRig::~DialogRig() {
    dlg.reset();
}

QString DialogRig::Text(const char* objectName) const {
    const QString name = QString::fromLatin1(objectName);
    if (auto* edit = dlg->findChild<QLineEdit*>(name))
        return edit->text();
    if (auto* label = dlg->findChild<QLabel*>(name))
        return label->text();
    return QStringLiteral("<no control %1>").arg(name);
}

void DialogRig::AddRows(const QStringList& addresses, bool ticked, int port) {
    DeviceListCtrl* list = dlg->DeviceList();
    for (const QString& address : addresses) {
        const int row = list->InsertItem(list->GetItemCount(), QString());
        list->SetItemText(row, COL_IP, address);
        list->SetItemText(row, COL_PORT, QString::number(port));
        list->SetCheck(row, ticked);
    }
}

void PostResult(CTolvaneDlg& dlg, const char* address, int32_t value, intptr_t code) {
    PostUpgradeNote(dlg.GetNoteWindow(), WM_UPGRADE_RESULT, value, code, address);
}

void PostProgress(CTolvaneDlg& dlg, const char* address, int32_t step, const char* imageName) {
    intptr_t lParam = 0;
    if (imageName) {
        auto* buffer = new char[IMAGE_NAME_BUFFER_SIZE]();
        std::strncpy(buffer, imageName, IMAGE_NAME_BUFFER_SIZE - 1);
        lParam = reinterpret_cast<intptr_t>(buffer);
    }
    PostUpgradeNote(dlg.GetNoteWindow(), WM_UPGRADE_PROGRESS, step, lParam, address);
}

void PostVersion(CTolvaneDlg& dlg, const char* address, const int32_t (&version)[4]) {
    PostDeviceVersionNote(dlg.GetNoteWindow(), address, version);
}
