// Progress and result notes as the operator sees them: row texts and
// states, counters, running and final summaries, unlocking, versions.
#include "device_list_ctrl.h"
#include "ip_address_ctrl.h"
#include "ui_test_support.h"

#include <QFileInfo>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kOk = QStringLiteral("升级设备成功！");

// A batch over the given rows whose workers are held at log-in, so that
// only the notes a test posts arrive.
struct HeldBatch {
    explicit HeldBatch(const QStringList& addresses) {
        gate.Install(rig.sdk);
        rig.AddRows(addresses, true);
        QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    }
    ~HeldBatch() {
        // The real results of the held workers die with the dialog, unseen.
        gate.Release();
        rig.dlg.reset();
    }
    DialogRig rig;
    OpenGate gate;
};

} // namespace

class ProgressTests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void batchResultsCountSummariseAndUnlockAtTheLast();
    void progressStepsNameTheImageAndMarkRowsUpgrading();
    void rowsSharingAnAddressAllFollowIt();
    void singleResultShowsABoxAndLeavesTheListAlone();
    void missingNotesAndUnknownAddressesChangeNoRow();
};

void ProgressTests::batchResultsCountSummariseAndUnlockAtTheLast() {
    HeldBatch held({"10.20.0.1", "10.20.0.2", "10.20.0.3"});
    DialogRig& rig = held.rig;
    DeviceListCtrl* list = rig.dlg->DeviceList();

    PostResult(*rig.dlg, "10.20.0.2", 1, UPGRADE_OK);
    QTRY_COMPARE(rig.dlg->Succeeded(), 1);
    QCOMPARE(list->GetItemText(1, COL_PROGRESS), kOk);
    QCOMPARE(list->GetItemData(1), ROW_SUCCEEDED);
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"),
             QStringLiteral("共选择3台，已升级1台；成功1台，失败0台。"));
    QVERIFY(!rig.dlg->CloseEnabled());

    // Value 0 with an unknown code: a failure with an empty text.
    PostResult(*rig.dlg, "10.20.0.1", 0, 99);
    QTRY_COMPARE(rig.dlg->Failed(), 1);
    QCOMPARE(list->GetItemText(0, COL_PROGRESS), QString());
    QCOMPARE(list->GetItemData(0), ROW_FAILED);
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"),
             QStringLiteral("共选择3台，已升级2台；成功1台，失败1台。"));
    QVERIFY(rig.boxes.boxes.isEmpty());

    // Value 1 counts as success whatever code rides with it.
    PostResult(*rig.dlg, "10.20.0.3", 1, UPGRADE_ERR_SEND);
    QTRY_COMPARE(rig.boxes.boxes.size(), 1);
    QCOMPARE(list->GetItemText(2, COL_PROGRESS), kOk);
    QCOMPARE(rig.dlg->Succeeded(), 2);
    const ShownBox& box = rig.boxes.boxes[0];
    QCOMPARE(box.text, QStringLiteral("升级完成，成功2台，失败1台。"));
    QCOMPARE(box.caption, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    // The box comes after the unlock and the emptied status line.
    QVERIFY(box.controlsEnabled);
    QCOMPARE(box.batchStatus, QString());
    QVERIFY(rig.dlg->CloseEnabled());
}

void ProgressTests::progressStepsNameTheImageAndMarkRowsUpgrading() {
    HeldBatch held({"10.21.0.1", "10.21.0.2"});
    DialogRig& rig = held.rig;
    DeviceListCtrl* list = rig.dlg->DeviceList();

    const QList<QPair<int, QString>> steps{{UPGRADE_STEP_CLEAN_LOG, "正在清理日志"},
                                           {UPGRADE_STEP_CLEAN_DATABASE, "正在清理数据库"},
                                           {UPGRADE_STEP_REBOOT_AFTER_CLEAN, "清理完成，重启设备"},
                                           {UPGRADE_STEP_IMAGE_ACCEPTED, "升级成功，正在重启设备"},
                                           {7, ""}};
    for (const auto& [step, text] : steps) {
        PostProgress(*rig.dlg, "10.21.0.1", step);
        QTRY_COMPARE(list->GetItemText(0, COL_PROGRESS), text);
        QCOMPARE(list->GetItemData(0), ROW_UPGRADING);
    }
    PostProgress(*rig.dlg, "10.21.0.1", UPGRADE_STEP_SEND_IMAGE, "dm8127_app_5.2.1.bin");
    QTRY_COMPARE(list->GetItemText(0, COL_PROGRESS),
                 QStringLiteral("正在升级'dm8127_app_5.2.1.bin'"));
    // The longest name a buffer holds is cut so that the text stays within 127 bytes.
    const std::string longName(127, 'n');
    PostProgress(*rig.dlg, "10.21.0.2", UPGRADE_STEP_SEND_IMAGE, longName.c_str());
    QTRY_VERIFY(list->GetItemText(1, COL_PROGRESS).startsWith(QStringLiteral("正在升级'nnn")));
    const QString cut = list->GetItemText(1, COL_PROGRESS);
    QVERIFY(cut.toUtf8().size() <= 127);
    QVERIFY(cut.endsWith(QLatin1Char('\'')));
    // Progress notes neither count nor unlock.
    QCOMPARE(rig.dlg->Succeeded() + rig.dlg->Failed(), 0);
    QVERIFY(!rig.dlg->CloseEnabled());
}

void ProgressTests::rowsSharingAnAddressAllFollowIt() {
    HeldBatch held({"10.22.0.1", "10.22.0.9", "10.22.0.1"});
    DialogRig& rig = held.rig;
    DeviceListCtrl* list = rig.dlg->DeviceList();

    PostProgress(*rig.dlg, "10.22.0.1", UPGRADE_STEP_CLEAN_LOG);
    const int32_t version[4] = {5, 3, 6, 2};
    PostVersion(*rig.dlg, "10.22.0.1", version);
    QTRY_COMPARE(list->GetItemText(2, COL_VERSION), QStringLiteral("5.3.6.2"));
    QCOMPARE(list->GetItemText(0, COL_VERSION), QStringLiteral("5.3.6.2"));
    QCOMPARE(list->GetItemText(1, COL_VERSION), QString());
    // A version changes neither the progress text nor the state.
    QCOMPARE(list->GetItemText(0, COL_PROGRESS), QStringLiteral("正在清理日志"));
    QCOMPARE(list->GetItemData(2), ROW_UPGRADING);
    QCOMPARE(list->GetItemData(1), ROW_STATE_NONE);

    PostResult(*rig.dlg, "10.22.0.1", 0, UPGRADE_ERR_OPEN);
    QTRY_COMPARE(rig.dlg->Failed(), 1);
    for (int row : {0, 2}) {
        QCOMPARE(list->GetItemText(row, COL_PROGRESS),
                 QStringLiteral("打开设备失败，请检查设备连接是否正常！"));
        QCOMPARE(list->GetItemData(row), ROW_FAILED);
    }
    QCOMPARE(list->GetItemText(1, COL_PROGRESS), QString());
}

void ProgressTests::singleResultShowsABoxAndLeavesTheListAlone() {
    DialogRig rig;
    OpenGate gate;
    gate.Install(rig.sdk);
    rig.AddRows({"10.23.0.1"}, false);
    rig.dlg->AddressBox()->SetWindowText(QStringLiteral("10.23.0.1"));
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_UPGRADE"), Qt::LeftButton);
    QCOMPARE(rig.dlg->SingleMode(), 1);

    PostProgress(*rig.dlg, "10.23.0.1", UPGRADE_STEP_CLEAN_DATABASE);
    QTRY_COMPARE(rig.Text("IDC_STATIC_SINGLE_STATUS"), QStringLiteral("正在清理数据库"));
    PostResult(*rig.dlg, "10.23.0.1", 0, UPGRADE_ERR_SEND);
    QTRY_COMPARE(rig.boxes.boxes.size(), 2); // the question, then the result
    const ShownBox& box = rig.boxes.boxes[1];
    QCOMPARE(box.text, QStringLiteral("升级设备失败，请直连设备再升级！"));
    QCOMPARE(box.caption, QStringLiteral("提示"));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    // While the box is open the status still shows; afterwards it is gone.
    QCOMPARE(box.singleStatus, QStringLiteral("正在清理数据库"));
    QCOMPARE(rig.Text("IDC_STATIC_SINGLE_STATUS"), QString());
    QVERIFY(rig.dlg->CloseEnabled());
    QCOMPARE(rig.dlg->Failed(), 1);
    // The list row with the same address is untouched, and so is the batch line.
    QCOMPARE(rig.dlg->DeviceList()->GetItemText(0, COL_PROGRESS), QString());
    QCOMPARE(rig.dlg->DeviceList()->GetItemData(0), ROW_STATE_NONE);
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"), QString());

    gate.Release();
    rig.dlg.reset();
}

void ProgressTests::missingNotesAndUnknownAddressesChangeNoRow() {
    HeldBatch held({"10.24.0.1", "10.24.0.2"});
    DialogRig& rig = held.rig;
    DeviceListCtrl* list = rig.dlg->DeviceList();
    QCOMPARE(rig.dlg->OnUpgradeResult(0, 0), intptr_t{-1});
    QCOMPARE(rig.dlg->OnUpgradeProgress(0, 0), intptr_t{-1});
    QCOMPARE(rig.dlg->OnDeviceVersion(0, 0), intptr_t{0});
    QCOMPARE(rig.dlg->OnDeviceFound(80, 0), intptr_t{0});
    QCOMPARE(rig.dlg->Failed() + rig.dlg->Succeeded(), 0);
    QCOMPARE(list->GetItemCount(), 2);

    // A result for no row still counts and advances the summary.
    PostResult(*rig.dlg, "10.24.9.9", 1, UPGRADE_OK);
    QTRY_COMPARE(rig.dlg->Succeeded(), 1);
    QCOMPARE(list->GetItemData(0), ROW_STATE_NONE);
    QCOMPARE(list->GetItemData(1), ROW_STATE_NONE);
    QCOMPARE(rig.Text("IDC_STATIC_BATCH_STATUS"),
             QStringLiteral("共选择2台，已升级1台；成功1台，失败0台。"));
}

QTEST_MAIN(ProgressTests)
#include "ui_progress_tests.moc"
