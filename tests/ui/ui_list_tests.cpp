// The device list: found cameras in address order, version reads, ticking
// all rows from the heading, copying an address, row colours.
#include "device_list_ctrl.h"
#include "ip_address_ctrl.h"
#include "probe_dialogs.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

void Report(CTolvaneDlg& dlg, const char* address, uint32_t port = 80) {
    FindDeviceCallback(0, address, port, 0, 0, 0, static_cast<NoteOwner*>(&dlg));
}

QStringList Column(DeviceListCtrl* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->GetItemCount(); ++row)
        texts << list->GetItemText(row, column);
    return texts;
}

void ClickHeading(DeviceListCtrl* list, int column) {
    QHeaderView* header = list->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void ClickCell(DeviceListCtrl* list, int row, int column) {
    const QRect cell = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

QList<bool> Ticks(DeviceListCtrl* list) {
    QList<bool> ticks;
    for (int row = 0; row < list->GetItemCount(); ++row)
        ticks << list->GetCheck(row);
    return ticks;
}

// Answers the next modal dialog of type T with each pair of field texts in
// turn, pressing OK after each, until the dialog closes.
template <class T>
void AnswerDialog(QTimer& poll, const char* firstField, const char* secondField,
                  QList<QPair<QString, QString>> inputs) {
    poll.disconnect();
    QObject::connect(&poll, &QTimer::timeout, [=]() mutable {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || inputs.isEmpty())
            return;
        const auto [first, second] = inputs.takeFirst();
        dialog->template findChild<QLineEdit*>(QString::fromLatin1(firstField))->setText(first);
        dialog->template findChild<QLineEdit*>(QString::fromLatin1(secondField))->setText(second);
        dialog->template findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
    });
    poll.start(5);
}

} // namespace

class ListTests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foundCamerasGoInAddressOrderAndGetTheirVersions();
    void searchStopsTheLastOneAndEmptiesTheList();
    void headingTicksAndUnticksAllRowsInTurn();
    void clickOnAnAddressCopiesItUnlessLocked();
    void rowsPaintInTheirStateColours();
    void addedAndScannedCamerasAreListedOnceAndBadInputSendsNothing();
};

void ListTests::foundCamerasGoInAddressOrderAndGetTheirVersions() {
    DialogRig rig;
    rig.sdk.Camera("10.0.0.1").version[0] = 5;
    rig.sdk.Camera("10.0.0.1").version[1] = 1;
    rig.sdk.Camera("10.0.0.1").version[2] = 6;
    rig.sdk.Camera("10.0.0.1").version[3] = 3;
    DeviceListCtrl* list = rig.dlg->DeviceList();

    Report(*rig.dlg, "10.0.0.2");
    Report(*rig.dlg, "10.0.0.10", 8000);
    Report(*rig.dlg, "10.0.0.1");
    QTRY_COMPARE(list->GetItemCount(), 3);
    QCOMPARE(Column(list, COL_IP), QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.10"}));
    QCOMPARE(Column(list, COL_PORT), QStringList({"80", "80", "8000"}));
    // The newest row is the selected one, wherever it went.
    QCOMPARE(list->GetSelectedRow(), 0);
    QCOMPARE(list->GetItemData(0), ROW_STATE_NONE);
    QVERIFY(!list->GetCheck(0));

    // A second report of a listed camera changes nothing; its address on
    // another port goes right below it; a text that is not an address goes
    // to the bottom, and later rows pass over it.
    Report(*rig.dlg, "10.0.0.2");
    Report(*rig.dlg, "10.0.0.2", 81);
    Report(*rig.dlg, "camera-7");
    Report(*rig.dlg, "10.0.0.3", 70000);
    QTRY_COMPARE(list->GetItemCount(), 6);
    QCOMPARE(Column(list, COL_IP), QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.2", "10.0.0.3",
                                                "10.0.0.10", "camera-7"}));
    QCOMPARE(list->GetItemText(2, COL_PORT), QStringLiteral("81"));
    QCOMPARE(list->GetSelectedRow(), 3);
    // Only the low 16 bits of a port travel.
    QCOMPARE(list->GetItemText(3, COL_PORT), QStringLiteral("4464"));

    // The version worker read every camera; the one with a version shows it.
    QTRY_COMPARE_WITH_TIMEOUT(list->GetItemText(0, COL_VERSION), QStringLiteral("5.1.6.3"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.sdk.CountOf("LprOpen"), 6, 10000);
    QCOMPARE(list->GetItemText(1, COL_VERSION), QString());
}

void ListTests::searchStopsTheLastOneAndEmptiesTheList() {
    DialogRig rig;
    DeviceListCtrl* list = rig.dlg->DeviceList();
    rig.sdk.SetFoundDevices({{"10.3.0.2", 80}, {"10.3.0.1", 80}});
    auto* search = rig.Find<QPushButton>("IDC_BTN_SEARCH");

    QTest::mouseClick(search, Qt::LeftButton);
    QTRY_COMPARE(list->GetItemCount(), 2);
    list->SetItemData(0, ROW_SUCCEEDED);
    list->SetItemText(0, COL_PROGRESS, QStringLiteral("升级设备成功！"));

    QTest::mouseClick(search, Qt::LeftButton);
    QTRY_COMPARE(list->GetItemCount(), 2);
    QTest::qWait(50);
    QCOMPARE(list->GetItemCount(), 2);
    QCOMPARE(Column(list, COL_IP), QStringList({"10.3.0.1", "10.3.0.2"}));
    QCOMPARE(Column(list, COL_PROGRESS), QStringList({"", ""}));
    QCOMPARE(list->GetItemData(0), ROW_STATE_NONE);

    // Each search is preceded by a stop.
    std::vector<std::string> ops;
    for (const auto& call : rig.sdk.Calls()) {
        if (call.op == "LprStartFindDevice" || call.op == "LprStopFindDevice")
            ops.push_back(call.op);
    }
    const std::vector<std::string> expected{"LprStopFindDevice", "LprStartFindDevice",
                                            "LprStopFindDevice", "LprStartFindDevice"};
    QVERIFY(ops == expected);
}

void ListTests::headingTicksAndUnticksAllRowsInTurn() {
    DialogRig rig;
    rig.dlg->show();
    DeviceListCtrl* list = rig.dlg->DeviceList();

    // A click on an empty list still switches what the next click does.
    ClickHeading(list, COL_CHECK);
    QCOMPARE(g_bSelectAll, 0);
    rig.AddRows({"10.4.0.1", "10.4.0.2", "10.4.0.3"}, false);
    list->SetCheck(1, true);
    ClickHeading(list, COL_CHECK);
    QCOMPARE(Ticks(list), QList<bool>({false, false, false}));
    ClickHeading(list, COL_CHECK);
    QCOMPARE(Ticks(list), QList<bool>({true, true, true}));
    // Other headings neither tick nor sort.
    ClickHeading(list, COL_IP);
    ClickHeading(list, COL_VERSION);
    QCOMPARE(Ticks(list), QList<bool>({true, true, true}));
    QCOMPARE(Column(list, COL_IP), QStringList({"10.4.0.1", "10.4.0.2", "10.4.0.3"}));
    ClickHeading(list, COL_CHECK);
    QCOMPARE(Ticks(list), QList<bool>({false, false, false}));
}

void ListTests::clickOnAnAddressCopiesItUnlessLocked() {
    DialogRig rig;
    rig.dlg->show();
    DeviceListCtrl* list = rig.dlg->DeviceList();
    rig.AddRows({"10.5.0.7", "10.5.0.8"}, false, 8080);

    ClickCell(list, 1, COL_PORT);
    QCOMPARE(rig.dlg->AddressBox()->GetWindowText(), QStringLiteral("0.0.0.0"));
    ClickCell(list, 1, COL_IP);
    QCOMPARE(rig.dlg->AddressBox()->GetWindowText(), QStringLiteral("10.5.0.8"));
    // A click on the tick column ticks that row only.
    const QRect tick = list->visualRect(list->model()->index(0, COL_CHECK));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, tick.center());
    QCOMPARE(rig.dlg->AddressBox()->GetWindowText(), QStringLiteral("10.5.0.8"));

    rig.dlg->EnableControls(false);
    ClickCell(list, 0, COL_IP);
    QCOMPARE(rig.dlg->AddressBox()->GetWindowText(), QStringLiteral("10.5.0.8"));
    rig.dlg->EnableControls(true);
    ClickCell(list, 0, COL_IP);
    QCOMPARE(rig.dlg->AddressBox()->GetWindowText(), QStringLiteral("10.5.0.7"));
}

void ListTests::rowsPaintInTheirStateColours() {
    DialogRig rig;
    rig.dlg->show();
    DeviceListCtrl* list = rig.dlg->DeviceList();
    rig.AddRows({"10.6.0.1", "10.6.0.2", "10.6.0.3", "10.6.0.4", "10.6.0.5"}, false);
    list->SetItemData(0, ROW_UPGRADING);
    list->SetItemData(1, ROW_SUCCEEDED);
    list->SetItemData(2, ROW_FAILED);
    list->SetItemData(3, 7); // no colour for unknown states
    list->clearSelection();
    list->setCurrentItem(nullptr);

    const QImage image = list->viewport()->grab().toImage();
    const auto pixelOf = [&](int row) {
        // The version cell: empty, so its centre shows the background.
        const QRect cell = list->visualRect(list->model()->index(row, COL_VERSION));
        return image.pixelColor(cell.center()).toRgb();
    };
    QCOMPARE(pixelOf(0), QColor(96, 123, 139));
    QCOMPARE(pixelOf(1), QColor(64, 224, 205));
    QCOMPARE(pixelOf(2), QColor(255, 127, 80));
    QCOMPARE(pixelOf(3), pixelOf(4));
    QVERIFY(pixelOf(4) != QColor(96, 123, 139));
}

void ListTests::addedAndScannedCamerasAreListedOnceAndBadInputSendsNothing() {
    DialogRig rig;
    CTolvaneDlg& dlg = *rig.dlg;
    rig.sdk.Camera("10.9.0.5").probePort = 8000;
    rig.sdk.Camera("10.9.0.20").probePort = 80;
    rig.sdk.Camera("10.9.0.30").probePort = 80;
    Report(dlg, "10.9.0.20");
    QTRY_COMPARE(dlg.DeviceList()->GetItemCount(), 1);
    QTimer poll;

    AnswerDialog<CAddDeviceDlg>(poll, "IDC_EDIT_ADD_ADDRESS", "IDC_EDIT_ADD_PORT",
                                {{"10.9.0.256", "80"}, {"10.9.0.5", "0"}, {"10.9.0.5", "80"}});
    dlg.OnAddDevice();
    // The camera answers on its own port; a silent one is listed with the typed one.
    AnswerDialog<CAddDeviceDlg>(poll, "IDC_EDIT_ADD_ADDRESS", "IDC_EDIT_ADD_PORT",
                                {{"10.9.0.7", "8081"}});
    dlg.OnAddDevice();
    AnswerDialog<CAddDeviceDlg>(poll, "IDC_EDIT_ADD_ADDRESS", "IDC_EDIT_ADD_PORT",
                                {{"10.9.0.8", "80"}});
    QTimer::singleShot(0, [] { // pressed Cancel: nothing is probed
        if (auto* dialog = qobject_cast<CAddDeviceDlg*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    dlg.OnAddDevice();

    AnswerDialog<CScanRangeDlg>(poll, "IDC_EDIT_SCAN_FIRST", "IDC_EDIT_SCAN_LAST",
                                {{"10.9.0.40", "10.9.0.1"},
                                 {"10.9.0.1", "10.9.16.1"},
                                 {"10.9.0.1", "10.9.0.x"},
                                 {"10.9.0.1", "10.9.0.40"}});
    dlg.OnScanRange();
    poll.stop();

    QCOMPARE(rig.boxes.Texts(),
             (QStringList{"IP格式不正确！", "端口号不正确，请重新输入！",
                          "起始IP大于结束IP，请重新输入！",
                          "地址段过大，最多4096个地址，请重新输入！", "结束IP格式不正确！"}));
    QTRY_COMPARE_WITH_TIMEOUT(Column(dlg.DeviceList(), COL_IP),
                              (QStringList{"10.9.0.5", "10.9.0.7", "10.9.0.20", "10.9.0.30"}),
                              10000);
    QCOMPARE(Column(dlg.DeviceList(), COL_PORT), (QStringList{"8000", "8081", "80", "80"}));
    std::vector<std::vector<std::string>> probed;
    for (const FakeSdk::Call& call : rig.sdk.Calls()) {
        if (call.op == "LprProbeAddresses")
            probed.push_back(call.args);
    }
    QCOMPARE(probed.size(), size_t{3});
    QCOMPARE(probed[1], std::vector<std::string>{"10.9.0.7"});
    QCOMPARE(probed[2].size(), size_t{40});
    // Every listed camera gets its version read, the silent one on its typed port.
    QTRY_VERIFY(!rig.sdk.CallsOf("10.9.0.7").empty());
    QCOMPARE(rig.sdk.CallsOf("10.9.0.7").front().args.front(), std::string("8081"));
}

QTEST_MAIN(ListTests)
#include "ui_list_tests.moc"
