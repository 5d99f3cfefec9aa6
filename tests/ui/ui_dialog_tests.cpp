// The dialog as it opens and as it closes.
#include "about_dlg.h"
#include "device_list_ctrl.h"
#include "dialog_units.h"
#include "engine/program_folder.h"
#include "ip_address_ctrl.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

int IndexOfOp(const std::vector<FakeSdk::Call>& calls, const std::string& op) {
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].op == op)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

class DialogTests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensWithDefaultsColumnsAndNamedControls();
    void controlsSitAtTheirTemplateRectangles();
    void userNameTakesAtMostSixteenCharacters();
    void addressBoxTakesFourOctetsAsTyped();
    void closingIdleStopsSearchReleasesSdkOnceAndUnregisters();
    void closeEnterAndEscapeCannotEndABusyDialog();
    void notesPostedAfterCloseAreNeverDispatched();
    void aboutBoxOpensFromTheContextMenuAndCloses();
};

void DialogTests::opensWithDefaultsColumnsAndNamedControls() {
    DialogRig rig;
    CTolvaneDlg& dlg = *rig.dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("自动升级工具(2.0.6版本）- 同时支持TI和海思相机"));
    QCOMPARE(dlg.AddressBox()->GetWindowText(), QStringLiteral("0.0.0.0"));
    QCOMPARE(dlg.AddressBox()->Field(0)->text(), QStringLiteral("0"));
    QCOMPARE(rig.Text("IDC_EDIT_PORT"), QStringLiteral("80"));
    QCOMPARE(rig.Text("IDC_EDIT_USER"), QStringLiteral("admin"));
    QCOMPARE(rig.Text("IDC_EDIT_PASSWORD"), QStringLiteral("ploma"));
    QCOMPARE(rig.Find<QLineEdit>("IDC_EDIT_PASSWORD")->echoMode(), QLineEdit::Password);
    QCOMPARE(rig.Text("IDC_STATIC_SINGLE_STATUS"), QString());
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"), QString());
    QCOMPARE(rig.sdk.CountOf("LprSetup"), 1);

    DeviceListCtrl* list = dlg.DeviceList();
    QCOMPARE(list->GetItemCount(), 0);
    const QStringList headings{"全选", "设备IP", "端口", "设备版本", "升级进度"};
    const QList<int> widths{50, 140, 50, 160, 540};
    QCOMPARE(list->columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
        QCOMPARE(list->horizontalHeaderItem(column)->text(), headings[column]);
        if (column != COL_PORT)
            QCOMPARE(list->columnWidth(column), widths[column]);
    }
    // Five digits of a port may need a few pixels more (gui_e2e measures them).
    QVERIFY(list->columnWidth(COL_PORT) >= 50 && list->columnWidth(COL_PORT) < 60);

    // Every control is found by its id's name and carries its label's text.
    const QList<QPair<const char*, QString>> named{
        {"IDC_IPADDRESS", "设备IP:"},         {"IDC_EDIT_PORT", "端口:"},
        {"IDC_EDIT_USER", "用户名:"},         {"IDC_EDIT_PASSWORD", "密码:"},
        {"IDC_BTN_UPGRADE", "升级设备"},      {"IDC_BTN_SEARCH", "搜索"},
        {"IDC_BTN_BATCH_UPGRADE", "批量升级"}};
    for (const auto& [name, accessible] : named) {
        auto* widget = rig.Find<QWidget>(name);
        QVERIFY2(widget, name);
        QCOMPARE(widget->accessibleName(), accessible);
    }
    // No button answers Enter.
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        QVERIFY(!button->isDefault() && !button->autoDefault());
    QVERIFY(dlg.CloseEnabled());
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
}

void DialogTests::controlsSitAtTheirTemplateRectangles() {
    // With the template font's units (8 by 16 pixels) a dialog unit is two pixels.
    QCOMPARE(MapDialogRect({412, 20, 43, 14}, {8, 16}), QRect(824, 40, 86, 28));
    // Odd products round to the nearest pixel, and edges are mapped rather
    // than sizes, so that neighbours never overlap.
    QCOMPARE(MapDialogRect({1, 1, 1, 1}, {7, 13}), QRect(2, 2, 2, 1));

    // The stand-in font keeps the template's proportions: the five columns
    // (940 pixels) fit the list as they did in the template.
    DialogRig rig;
    const DialogBaseUnits units = BaseUnitsOf(rig.dlg->font());
    QCOMPARE(units.x * 2, units.y);
    QVERIFY(50 + 140 + 50 + 160 + 540 < rig.Find<QWidget>("IDC_LIST_DEVICES")->width());
}

void DialogTests::userNameTakesAtMostSixteenCharacters() {
    DialogRig rig;
    auto* user = rig.Find<QLineEdit>("IDC_EDIT_USER");
    user->clear();
    QTest::keyClicks(user, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(user->text(), QStringLiteral("abcdefghijklmnop"));
}

void DialogTests::addressBoxTakesFourOctetsAsTyped() {
    DialogRig rig;
    rig.dlg->show();
    IpAddressCtrl* box = rig.dlg->AddressBox();
    box->SetWindowText(QString());
    QCOMPARE(box->GetWindowText(), QStringLiteral("0.0.0.0"));

    // Dots and full fields move on; letters are not taken. Each key goes
    // where the focus is, as typing does.
    rig.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.dlg.get()));
    box->Field(0)->setFocus();
    for (const QChar c : QStringLiteral("192.168x.1.20"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QCOMPARE(box->GetWindowText(), QStringLiteral("192.168.1.20"));
    // A field never holds more than 255.
    box->Field(2)->clear();
    QTest::keyClicks(box->Field(2), QStringLiteral("300"));
    QCOMPARE(box->GetWindowText(), QStringLiteral("192.168.255.20"));

    box->SetWindowText(QStringLiteral("10.0.0.7"));
    QCOMPARE(box->GetWindowText(), QStringLiteral("10.0.0.7"));
    box->SetWindowText(QStringLiteral("1.2.3"));
    QCOMPARE(box->GetWindowText(), QStringLiteral("1.2.3.0"));
    QCOMPARE(box->Field(3)->text(), QString());
}

void DialogTests::closingIdleStopsSearchReleasesSdkOnceAndUnregisters() {
    DialogRig rig;
    rig.dlg->show();
    const NoteWindow window = rig.dlg->GetNoteWindow();
    QVERIFY(window != 0);
    QVERIFY(rig.dlg->IsRunning());

    QVERIFY(rig.dlg->close());
    QVERIFY(!rig.dlg->isVisible());
    QVERIFY(!rig.dlg->IsRunning());
    QCOMPARE(rig.sdk.CountOf("LprCleanup"), 1);
    const auto calls = rig.sdk.Calls();
    QVERIFY(IndexOfOp(calls, "LprStopFindDevice") >= 0);
    QVERIFY(IndexOfOp(calls, "LprStopFindDevice") < IndexOfOp(calls, "LprCleanup"));
    // The window is gone for the workers: a post fails instead of landing.
    auto* text = new FoundDeviceNote("10.0.0.1");
    QVERIFY(!PostNoteMessage(window, WM_DEVICE_FOUND, 80, reinterpret_cast<intptr_t>(text)));
    delete text;

    // Destroying the closed dialog releases nothing a second time.
    rig.dlg.reset();
    QCOMPARE(rig.sdk.CountOf("LprCleanup"), 1);
}

void DialogTests::closeEnterAndEscapeCannotEndABusyDialog() {
    DialogRig rig;
    OpenGate gate;
    gate.Install(rig.sdk);
    rig.dlg->show();
    rig.AddRows({"10.1.0.1"}, true);
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    QVERIFY(!rig.dlg->CloseEnabled());

    QVERIFY(!rig.dlg->close());
    QTest::keyClick(rig.dlg.get(), Qt::Key_Escape);
    QTest::keyClick(rig.dlg.get(), Qt::Key_Return);
    QTest::keyClick(rig.Find<QWidget>("IDC_LIST_DEVICES"), Qt::Key_Enter);
    QVERIFY(rig.dlg->isVisible());
    QCOMPARE(rig.sdk.CountOf("LprCleanup"), 0);

    // Once the camera's result is in, the window closes.
    gate.Release();
    QTRY_VERIFY_WITH_TIMEOUT(rig.dlg->CloseEnabled(), 10000);
    // Escape still does nothing when idle; only the close request ends it.
    QTest::keyClick(rig.dlg.get(), Qt::Key_Escape);
    QVERIFY(rig.dlg->isVisible());
    QVERIFY(rig.dlg->close());
    QCOMPARE(rig.sdk.CountOf("LprCleanup"), 1);
}

void DialogTests::notesPostedAfterCloseAreNeverDispatched() {
    DialogRig rig;
    rig.dlg->show();
    FindDeviceCallback(0, "10.2.0.1", 80, 0, 0, 0, static_cast<NoteOwner*>(rig.dlg.get()));
    const int32_t version[4] = {5, 1, 6, 1};
    PostVersion(*rig.dlg, "10.2.0.1", version);
    // Queued, not yet handled, when the close request comes.
    QVERIFY(rig.dlg->close());
    QCoreApplication::processEvents();
    QCOMPARE(rig.dlg->DeviceList()->GetItemCount(), 0);
    // The queued events die with the dialog and free their notes.
    rig.dlg.reset();
    QCoreApplication::processEvents();
}

void DialogTests::aboutBoxOpensFromTheContextMenuAndCloses() {
    DialogRig rig;
    rig.dlg->show();
    QString menuItem;
    QString caption;
    QStringList labels;
    bool aboutClosed = false;
    // The menu and then the About box run their own loops: look at them
    // from a timer while they are open.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menuItem = menu->actions().value(0)->text();
            menu->setActiveAction(menu->actions().value(0));
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
        if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            caption = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>())
                labels << label->text();
            QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("IDOK")),
                              Qt::LeftButton);
            aboutClosed = !about->isVisible();
            poll.stop();
        }
    });
    poll.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            rig.dlg->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(rig.dlg.get(), &event);

    QCOMPARE(menuItem, QStringLiteral("关于 Tolvane(&A)..."));
    QCOMPARE(caption, QStringLiteral("关于 Tolvane"));
    QVERIFY(labels.contains(QStringLiteral("Tolvane，1.0 版")));
    QVERIFY(labels.contains(QStringLiteral("数据文件夹：") +
                            QString::fromStdString(GetProgramFolder())));
    QVERIFY(aboutClosed);
}

QTEST_MAIN(DialogTests)
#include "ui_dialog_tests.moc"
