// The single and batch upgrade commands: checks in order, confirmation,
// worker choice, fixed batch credentials, the lock, batches larger than the
// workers' mailboxes.
#include "device_list_ctrl.h"
#include "ip_address_ctrl.h"
#include "ui_test_support.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <map>
#include <set>

namespace {

const QString kNotice = QStringLiteral("提示");

void SetEdit(DialogRig& rig, const char* name, const QString& text) {
    rig.Find<QLineEdit>(name)->setText(text);
}

// The thread that logged in to each camera for an upgrade.
std::map<std::string, std::thread::id> UpgradeThreads(const FakeSdk& sdk) {
    std::map<std::string, std::thread::id> threads;
    for (const auto& call : sdk.Calls()) {
        if (call.op == "LprOpen" && !threads.count(call.address))
            threads[call.address] = call.thread;
    }
    return threads;
}

bool ControlsEnabled(DialogRig& rig) {
    for (const char* name : {"IDC_IPADDRESS", "IDC_EDIT_PORT", "IDC_EDIT_USER", "IDC_EDIT_PASSWORD",
                             "IDC_BTN_UPGRADE", "IDC_BTN_SEARCH", "IDC_BTN_BATCH_UPGRADE"}) {
        if (!rig.Find<QWidget>(name)->isEnabled())
            return false;
    }
    return true;
}

bool ControlsLocked(DialogRig& rig) {
    for (const char* name : {"IDC_IPADDRESS", "IDC_EDIT_PORT", "IDC_EDIT_USER", "IDC_EDIT_PASSWORD",
                             "IDC_BTN_UPGRADE", "IDC_BTN_SEARCH", "IDC_BTN_BATCH_UPGRADE"}) {
        if (rig.Find<QWidget>(name)->isEnabled())
            return false;
    }
    return !rig.dlg->CloseEnabled() && rig.Find<QWidget>("IDC_LIST_DEVICES")->isEnabled();
}

} // namespace

class UpgradeTests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void singleChecksRunInOrderAndStopAtTheFirstFault();
    void singleCancelChangesNothingAndOkLocksAndSends();
    void batchSpreadsRowsOverFiveWorkersWithFixedCredentials();
    void batchWithNothingTickedOnlyTellsTheOperator();
    void batchLargerThanTheMailboxesRunsWhole();
};

void UpgradeTests::singleChecksRunInOrderAndStopAtTheFirstFault() {
    DialogRig rig;
    auto* upgrade = rig.Find<QPushButton>("IDC_BTN_UPGRADE");
    IpAddressCtrl* address = rig.dlg->AddressBox();
    const auto press = [&] {
        rig.boxes.boxes.clear();
        QTest::mouseClick(upgrade, Qt::LeftButton);
        return rig.boxes.boxes.size() == 1 ? rig.boxes.boxes[0].text : QStringLiteral("<none>");
    };

    // Everything empty: only the first check speaks.
    address->SetWindowText(QString());
    SetEdit(rig, "IDC_EDIT_PORT", {});
    SetEdit(rig, "IDC_EDIT_USER", {});
    SetEdit(rig, "IDC_EDIT_PASSWORD", {});
    QCOMPARE(press(), QStringLiteral("请输入设备IP！"));
    QCOMPARE(rig.boxes.boxes[0].caption, kNotice);

    address->SetWindowText(QStringLiteral("255.255.255.255"));
    QCOMPARE(press(), QStringLiteral("IP格式不正确！"));
    address->SetWindowText(QStringLiteral("10.7.0.1"));
    QCOMPARE(press(), QStringLiteral("请输入端口号！"));
    for (const char* port : {"0", "-5", "abc", "65536"}) {
        SetEdit(rig, "IDC_EDIT_PORT", QString::fromLatin1(port));
        QCOMPARE(press(), QStringLiteral("端口号不正确，请重新输入！"));
    }
    SetEdit(rig, "IDC_EDIT_PORT", QStringLiteral("80abc"));
    QCOMPARE(press(), QStringLiteral("请输入用户名！"));
    SetEdit(rig, "IDC_EDIT_USER", QStringLiteral("root"));
    QCOMPARE(press(), QStringLiteral("请输入密码！"));
    // A password that does not fit a request is refused before anything else.
    SetEdit(rig, "IDC_EDIT_PASSWORD", QString(32, QLatin1Char('p')));
    QVERIFY(press().startsWith(QStringLiteral("密码过长")));

    // All checks passed: the question comes, with OK and Cancel.
    rig.boxes.answer = IDCANCEL;
    SetEdit(rig, "IDC_EDIT_PASSWORD", QStringLiteral("secret"));
    QCOMPARE(press(), QStringLiteral("是否升级设备？"));
    QCOMPARE(rig.boxes.boxes[0].caption, QStringLiteral("询问"));
    QCOMPARE(rig.boxes.boxes[0].buttons, MessageButtons::OkCancel);

    QVERIFY(ControlsEnabled(rig));
    QCOMPARE(rig.dlg->SingleMode(), 0);
    QTest::qWait(20);
    QCOMPARE(rig.sdk.CountOf("LprOpen"), 0);
}

void UpgradeTests::singleCancelChangesNothingAndOkLocksAndSends() {
    DialogRig rig;
    OpenGate gate;
    gate.Install(rig.sdk);
    // A batch that ends on worker 1 first: the single upgrade still takes worker 0.
    rig.AddRows({"10.8.0.1", "10.8.0.2", "10.8.0.3", "10.8.0.4", "10.8.0.5", "10.8.0.6"}, true);
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    gate.Release();
    QTRY_VERIFY_WITH_TIMEOUT(rig.dlg->CloseEnabled(), 10000);

    rig.dlg->AddressBox()->SetWindowText(QStringLiteral("10.8.0.99"));
    SetEdit(rig, "IDC_EDIT_PORT", QStringLiteral("80"));
    SetEdit(rig, "IDC_EDIT_USER", QStringLiteral("root"));
    SetEdit(rig, "IDC_EDIT_PASSWORD", QStringLiteral("secret"));
    rig.boxes.boxes.clear();
    rig.boxes.answer = IDOK;
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_UPGRADE"), Qt::LeftButton);
    QCOMPARE(rig.dlg->SingleMode(), 1);
    QVERIFY(ControlsLocked(rig));
    // The batch counters are the last batch's, untouched.
    QCOMPARE(rig.dlg->Total(), 6);

    QTRY_VERIFY_WITH_TIMEOUT(rig.dlg->CloseEnabled(), 10000);
    const auto threads = UpgradeThreads(rig.sdk);
    QVERIFY(threads.at("10.8.0.99") == threads.at("10.8.0.1"));
    QVERIFY(threads.at("10.8.0.99") != threads.at("10.8.0.2"));
    for (const auto& call : rig.sdk.CallsOf("10.8.0.99")) {
        if (call.op == "LprOpen") {
            QCOMPARE(QString::fromStdString(call.args.at(0)), QStringLiteral("80"));
            QCOMPARE(QString::fromStdString(call.args.at(1)), QStringLiteral("root"));
            QCOMPARE(QString::fromStdString(call.args.at(2)), QStringLiteral("secret"));
        }
    }
}

void UpgradeTests::batchSpreadsRowsOverFiveWorkersWithFixedCredentials() {
    DialogRig rig;
    OpenGate gate;
    gate.Install(rig.sdk);
    // Other credentials in the single fields are neither read nor sent.
    SetEdit(rig, "IDC_EDIT_USER", QStringLiteral("root"));
    SetEdit(rig, "IDC_EDIT_PASSWORD", QStringLiteral("secret"));
    rig.AddRows({"10.9.0.1", "10.9.0.2"}, true);
    rig.AddRows({"10.9.0.50"}, false);
    rig.AddRows({"10.9.0.3", "10.9.0.4", "10.9.0.5", "10.9.0.6", "10.9.0.7"}, true);
    // A ticked row without an address is passed over, not counted.
    rig.AddRows({""}, true);

    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"), QStringLiteral("共选择7台"));
    QCOMPARE(rig.dlg->Total(), 7);
    QCOMPARE(rig.dlg->SingleMode(), 0);
    QVERIFY(ControlsLocked(rig));
    QVERIFY(rig.boxes.boxes.isEmpty());

    gate.Release();
    QTRY_VERIFY_WITH_TIMEOUT(rig.dlg->CloseEnabled(), 10000);
    const auto threads = UpgradeThreads(rig.sdk);
    QCOMPARE(threads.size(), size_t{7});
    QVERIFY(!threads.count("10.9.0.50"));
    // Ticked rows k = 0..6 go to worker k mod 5: rows 0 and 5, 1 and 6 share one.
    std::set<std::thread::id> firstFive;
    for (const char* a : {"10.9.0.1", "10.9.0.2", "10.9.0.3", "10.9.0.4", "10.9.0.5"})
        firstFive.insert(threads.at(a));
    QCOMPARE(firstFive.size(), size_t{5});
    QVERIFY(threads.at("10.9.0.6") == threads.at("10.9.0.1"));
    QVERIFY(threads.at("10.9.0.7") == threads.at("10.9.0.2"));
    for (const auto& call : rig.sdk.Calls()) {
        if (call.op == "LprOpen") {
            QCOMPARE(QString::fromStdString(call.args.at(1)), QStringLiteral("admin"));
            QCOMPARE(QString::fromStdString(call.args.at(2)), QStringLiteral("ploma"));
        }
    }
}

void UpgradeTests::batchWithNothingTickedOnlyTellsTheOperator() {
    DialogRig rig;
    auto* batch = rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE");
    QTest::mouseClick(batch, Qt::LeftButton);
    rig.AddRows({"10.10.0.1", "10.10.0.2"}, false);
    QTest::mouseClick(batch, Qt::LeftButton);
    QCOMPARE(rig.boxes.Texts(), QStringList({QStringLiteral("请选择待升级的设备"),
                                             QStringLiteral("请选择待升级的设备")}));
    QCOMPARE(rig.boxes.boxes[1].caption, kNotice);
    QCOMPARE(rig.dlg->Total(), 0);
    QVERIFY(ControlsEnabled(rig));
    QVERIFY(rig.dlg->CloseEnabled());
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"), QString());
}

void UpgradeTests::batchLargerThanTheMailboxesRunsWhole() {
    DialogRig rig;
    OpenGate gate;
    gate.Install(rig.sdk);
    // 500 cameras: the five mailboxes hold 32 waiting requests each.
    QStringList addresses;
    for (int i = 0; i < 500; ++i)
        addresses << QStringLiteral("10.11.%1.%2").arg(i / 200).arg(i % 200 + 1);
    rig.AddRows(addresses, true);
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    QCOMPARE(rig.dlg->Total(), 500);
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"), QStringLiteral("共选择500台"));
    QCOMPARE(rig.dlg->Failed(), 0);
    QVERIFY(ControlsLocked(rig));

    gate.Release();
    QTRY_VERIFY_WITH_TIMEOUT(rig.dlg->CloseEnabled(), 40000);
    QCOMPARE(rig.dlg->Succeeded() + rig.dlg->Failed(), 500);
    QCOMPARE(rig.boxes.boxes.size(), 1);
    QCOMPARE(rig.boxes.boxes[0].text, QStringLiteral("升级完成，成功%1台，失败%2台。")
                                          .arg(rig.dlg->Succeeded())
                                          .arg(rig.dlg->Failed()));
    DeviceListCtrl* list = rig.dlg->DeviceList();
    for (int row = 0; row < list->GetItemCount(); ++row)
        QVERIFY(list->GetItemData(row) == ROW_SUCCEEDED || list->GetItemData(row) == ROW_FAILED);

    // Each worker logged in to rows w, w + 5, w + 10, ... in that order.
    std::map<std::thread::id, QStringList> served;
    for (const auto& call : rig.sdk.Calls()) {
        QStringList& list = served[call.thread];
        if (call.op == "LprOpen" && (list.isEmpty() || list.back() != call.address.c_str()))
            list << QString::fromStdString(call.address);
    }
    served.erase(std::this_thread::get_id());
    QCOMPARE(served.size(), size_t{5});
    for (const auto& [thread, order] : served) {
        const int w = static_cast<int>(addresses.indexOf(order.value(0)));
        QVERIFY(w >= 0 && w < 5);
        QStringList expected;
        for (int k = w; k < 500; k += 5)
            expected << addresses[k];
        QCOMPARE(order, expected);
    }
}

QTEST_MAIN(UpgradeTests)
#include "ui_upgrade_tests.moc"
