// The report entries of the context menu: failed rows ticked again, the
// results exported, and a plan shown without upgrading anything.
#include "device_list_ctrl.h"
#include "engine/program_folder.h"
#include "engine/upgrade_history.h"
#include "plan_dlg.h"
#include "ui_test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Trigger(CTolvaneDlg& dlg, const char* name) {
    QMenu menu;
    dlg.AddReportMenuEntries(menu);
    QAction* action = menu.findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY(action);
    action->trigger();
}

} // namespace

class ReportTests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failedRowsAreTickedAndResultsExported();
    void planShowsWhatEachTickedCameraWouldGoThrough();
    void lostHistoryLinesAreNoticedOnceABatch();
};

void ReportTests::failedRowsAreTickedAndResultsExported() {
    DialogRig rig;
    OpenGate gate;
    gate.Install(rig.sdk);
    rig.AddRows({"10.30.0.1", "10.30.0.2", "10.30.0.3"}, true);
    DeviceListCtrl* list = rig.dlg->DeviceList();
    list->SetItemText(2, COL_VERSION, QStringLiteral("5.3.7.2"));
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);

    UpgradeVersions versions;
    const int32_t before[4] = {5, 1, 7, 1};
    const int32_t after[4] = {5, 1, 7, 9};
    std::copy(before, before + 4, versions.before);
    std::copy(after, after + 4, versions.after);
    versions.check = UPGRADE_CHECK_VERIFIED;
    PostProgress(*rig.dlg, "10.30.0.1", UPGRADE_STEP_SEND_IMAGE, "a,\"b\".bin");
    PostUpgradeResult(rig.dlg->GetNoteWindow(), 1, UPGRADE_OK, "10.30.0.1", versions);
    PostResult(*rig.dlg, "10.30.0.2", 0, UPGRADE_ERR_SEND);
    PostResult(*rig.dlg, "10.30.0.3", 0, UPGRADE_ERR_OPEN);
    QTRY_COMPARE(rig.dlg->Succeeded() + rig.dlg->Failed(), 3);

    list->SetCheck(1, false);
    Trigger(*rig.dlg, "IDM_TICK_FAILED");
    QCOMPARE(QVector<bool>({list->GetCheck(0), list->GetCheck(1), list->GetCheck(2)}),
             QVector<bool>({false, true, true}));

    QTemporaryDir dir;
    const QString csvPath = dir.filePath(QStringLiteral("out.csv"));
    CTolvaneDlg::SetExportPathHook([&] { return csvPath; });
    Trigger(*rig.dlg, "IDM_EXPORT");
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.size(), 5); // header, three rows, nothing behind the last break
    QCOMPARE(lines[0], QByteArray("\xEF\xBB\xBF"
                                  "address,port,version_before,version_after,result,start,end,"
                                  "version_expected,verified,detail,batch\r"));
    QVERIFY2(lines[1].startsWith(
                 QStringLiteral("10.30.0.1,80,5.1.7.1,5.1.7.9,升级设备成功！,20").toUtf8()),
             lines[1].constData());
    // Refused at log-in: no version read by the run, so the list's own is kept.
    QVERIFY2(lines[3].startsWith("10.30.0.3,80,5.3.7.2,,"), lines[3].constData());

    const QString jsonPath = dir.filePath(QStringLiteral("out.json"));
    CTolvaneDlg::SetExportPathHook([&] { return jsonPath; });
    Trigger(*rig.dlg, "IDM_EXPORT");
    CTolvaneDlg::SetExportPathHook({});
    QFile json(jsonPath);
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QJsonArray rows = QJsonDocument::fromJson(json.readAll()).array();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1].toObject()[QStringLiteral("result")].toString(),
             QStringLiteral("升级设备失败，请直连设备再升级！"));
    QVERIFY(!rows[1].toObject()[QStringLiteral("end")].toString().isEmpty());
    gate.Release();
}

void ReportTests::planShowsWhatEachTickedCameraWouldGoThrough() {
    DialogRig rig;
    rig.AddRows({"10.31.0.1", "10.31.0.2"}, true);
    rig.AddRows({"10.31.0.3"}, false);
    const int32_t version[4] = {5, 1, 7, 1};
    std::copy(version, version + 4, rig.sdk.Camera("10.31.0.1").version);
    rig.sdk.Camera("10.31.0.2").openFails = true;

    Trigger(*rig.dlg, "IDM_PLAN");
    QTRY_VERIFY(rig.dlg->PlanDialog() != nullptr);
    const QString text = rig.dlg->PlanDialog()->PlanText();
    // No image tree beside the test: the 5.1.7 camera would find no image.
    QVERIFY2(text.contains(QStringLiteral(
                 "10.31.0.1:80  版本 5.1.7.1\n  升级设备失败，未获取到对应升级镜像！")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("10.31.0.2:80\n  打开设备失败")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("10.31.0.3")));
    for (const FakeSdk::Call& call : rig.sdk.Calls())
        QVERIFY2(call.address.empty() || call.op == "LprOpen" || call.op == "LprGetVersion" ||
                     call.op == "LprClose",
                 call.op.c_str());
}

// A folder where the history should be: the batch still ends with its
// summary, then one notice names the lines lost; a batch that loses none
// shows no notice.
void ReportTests::lostHistoryLinesAreNoticedOnceABatch() {
    QTemporaryDir dir;
    SetProgramFolderOverride(dir.path().toStdString());
    QVERIFY(QDir(dir.path()).mkdir(QString::fromLatin1(HISTORY_FILE_NAME)));
    DialogRig rig;
    rig.AddRows({"10.32.0.1", "10.32.0.2"}, true);
    rig.sdk.Camera("10.32.0.1").openFails = true;
    rig.sdk.Camera("10.32.0.2").openFails = true;
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    QTRY_COMPARE(rig.boxes.boxes.size(), 2);
    QCOMPARE(rig.boxes.boxes[0].text, QStringLiteral("升级完成，成功0台，失败2台。"));
    QCOMPARE(rig.boxes.boxes[1].caption, QStringLiteral("提示"));
    QVERIFY2(rig.boxes.boxes[1].text.startsWith(QStringLiteral("有2条升级记录")),
             qPrintable(rig.boxes.boxes[1].text));
    QVERIFY(rig.boxes.boxes[1].text.contains(QString::fromLatin1(HISTORY_FILE_NAME)));

    QVERIFY(QDir(dir.path()).rmdir(QString::fromLatin1(HISTORY_FILE_NAME)));
    QTest::mouseClick(rig.Find<QPushButton>("IDC_BTN_BATCH_UPGRADE"), Qt::LeftButton);
    // The notice would follow the summary within the same result handler.
    QTRY_COMPARE(rig.boxes.boxes.size(), 3);
    QCOMPARE(rig.boxes.boxes[2].caption, rig.boxes.boxes[0].caption);
    QVERIFY(QFile::exists(dir.filePath(QString::fromLatin1(HISTORY_FILE_NAME))));
    SetProgramFolderOverride("");
}

QTEST_MAIN(ReportTests)
#include "ui_reports_tests.moc"
